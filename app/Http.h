// The update check's HTTP GET on WinINet, and the limits that keep a slow
// or silent server from holding the start: the window stays hidden until
// the check has ended.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "text/Text.h"

namespace zelvorn {

inline constexpr std::size_t kLargestVersionFile = 64 * 1024;

struct HttpLimits {
  // The connection must be made, and the request sent, within these...
  static constexpr std::chrono::milliseconds kConnect{2000};
  static constexpr std::chrono::milliseconds kSend{2000};
  // ...the answer must begin within this...
  static constexpr std::chrono::milliseconds kFirstAnswer{3000};
  // ...and be complete within this, counted from the exchange's start.
  static constexpr std::chrono::milliseconds kExchange{4000};
  // WinINet bounds neither the name lookup nor, under Wine, the connection
  // (Wine ignores the connect time-out): past this, the caller stops
  // waiting, whatever the exchange is doing.
  static constexpr std::chrono::milliseconds kLongestWait{4500};
};

// The body of a 200 answer of at most kLargestVersionFile bytes that came
// within the limits (when the server broke off, what came before); nothing
// on any other outcome. Returns within HttpLimits::kLongestWait.
std::optional<Bytes> HttpGetBytes(const Text& address);

}  // namespace zelvorn
