// The three link formats: a scheme, then the Base64 text of the address with
// a frame text before and after it.
#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

#include "codec/Base64.h"
#include "text/Text.h"

namespace zelvorn {

struct LinkFormat {
  std::string_view scheme;  // compared byte for byte, case-sensitively
  std::string_view frameBefore;
  std::string_view frameAfter;
};

inline constexpr LinkFormat kThunderLink{"thunder://", "AA", "ZZ"};
inline constexpr LinkFormat kFlashGetLink{"Flashget://", "[FLASHGET]", "[FLASHGET]"};
inline constexpr LinkFormat kQqdlLink{"qqdl://", "", ""};

// True when the source begins, byte for byte, with http://, https://, mms://,
// ftp:// or rstp://. Nothing after the prefix is looked at.
bool CheckPlainAddress(std::string_view source);

// True when the text begins with the format's scheme.
bool HasScheme(const LinkFormat& format, std::string_view text);

// The link for an address, whatever the address holds: its bytes are taken
// unchanged, line breaks included. The caller checks the address first.
template <class Host>
Text EncodeLink(const LinkFormat& format, std::string_view address, Host& host) {
  Text link(format.scheme);
  if (format.frameBefore.empty() && format.frameAfter.empty()) {
    Base64EncodeAppend(link, address, {}, host);
  } else {
    const Text framed = ConcatText({format.frameBefore, address, format.frameAfter});
    Base64EncodeAppend(link, TextToBytes(framed), {}, host);
  }
  return link;
}

// What follows the scheme, up to a first "&": links published on web pages
// often carry a parameter after their Base64 part ("...=&1926"), and "&" is
// no Base64 character, so cutting there changes no well-formed link.
std::string_view LinkPayload(const LinkFormat& format, std::string_view link);

// The address in a link, or nothing when the link does not begin with the
// format's scheme. Damaged Base64 is decoded all the same, and the frame is
// cut by position without looking at its bytes.
// The link is taken by value so that a long one can be moved in and decoded
// in its own storage.
template <class Host>
std::optional<Text> DecodeLink(const LinkFormat& format, Text link, Host& host) {
  if (!HasScheme(format, link)) return std::nullopt;
  const std::string_view payload = LinkPayload(format, link);
  std::copy(payload.begin(), payload.end(), link.begin());  // moves to the front, in place
  link.resize(payload.size());
  Text decoded = BytesToText(Base64Decode(link, {}, host));
  const auto before = static_cast<std::int32_t>(format.frameBefore.size());
  const auto after = static_cast<std::int32_t>(format.frameAfter.size());
  if (before == 0 && after == 0) return decoded;
  return TextMid(decoded, before + 1, TextLength(decoded) - before - after);
}

}  // namespace zelvorn
