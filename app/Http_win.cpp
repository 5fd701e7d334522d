#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "app/Http.h"

namespace zelvorn {
namespace {

constexpr DWORD Ms(std::chrono::milliseconds limit) { return static_cast<DWORD>(limit.count()); }

class Handle {
 public:
  explicit Handle(HINTERNET h) : h_(h) {}
  ~Handle() {
    if (h_) InternetCloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
};

// Set up once per run: the old browser's user agent and a direct
// connection, whatever the system's proxy settings.
HINTERNET Session() {
  static const HINTERNET session = InternetOpenA(
      "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)", INTERNET_OPEN_TYPE_DIRECT, nullptr,
      nullptr, 0);
  return session;
}

void SetTimeout(HINTERNET request, DWORD option, DWORD ms) {
  InternetSetOptionA(request, option, &ms, sizeof ms);
}

std::optional<Bytes> Exchange(const Text& address) {
  const Text url = address.substr(0, address.find('#'));
  if (url.empty() || !Session()) return std::nullopt;
  char host[256] = {}, path[2048] = {}, user[128] = {}, password[128] = {};
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host, parts.dwHostNameLength = sizeof host;
  parts.lpszUrlPath = path, parts.dwUrlPathLength = sizeof path;
  parts.lpszUserName = user, parts.dwUserNameLength = sizeof user;
  parts.lpszPassword = password, parts.dwPasswordLength = sizeof password;
  if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return std::nullopt;
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  else if (parts.nScheme != INTERNET_SCHEME_HTTP) return std::nullopt;

  const Handle connection(InternetConnectA(Session(), host, parts.nPort, user[0] ? user : nullptr,
                                           password[0] ? password : nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return std::nullopt;
  const char* accept[] = {"*/*", nullptr};
  const Handle request(HttpOpenRequestA(connection.get(), "GET", path[0] ? path : "/", "HTTP/1.0",
                                        nullptr, accept, flags, 0));
  if (!request) return std::nullopt;
  // Time-outs go on the request handle: Wine ignores them on the session.
  SetTimeout(request.get(), INTERNET_OPTION_CONNECT_TIMEOUT, Ms(HttpLimits::kConnect));
  SetTimeout(request.get(), INTERNET_OPTION_SEND_TIMEOUT, Ms(HttpLimits::kSend));
  SetTimeout(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, Ms(HttpLimits::kFirstAnswer));
  const ULONGLONG deadline = GetTickCount64() + Ms(HttpLimits::kExchange);
  const auto waitLeft = [&] {
    const ULONGLONG now = GetTickCount64();
    return now < deadline ? static_cast<DWORD>(deadline - now) : DWORD{0};
  };
  if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return std::nullopt;

  DWORD status = 0, size = sizeof status;
  if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr) ||
      status != 200)
    return std::nullopt;

  Bytes body;
  char buffer[4096];
  for (;;) {
    // An answer still coming when the budget is spent is cut by us, not by
    // the server: like one over the size limit, it is no version text. Each
    // wait for more may last only as long as the budget has left.
    const DWORD left = waitLeft();
    if (left == 0) return std::nullopt;
    SetTimeout(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, left);
    // InternetReadFile waits until the buffer is full, which a slow server
    // can put off without end: ask for what has come, and read only that.
    DWORD available = 0, got = 0;
    const bool read =
        InternetQueryDataAvailable(request.get(), &available, 0, 0) &&
        (available == 0 ||
         InternetReadFile(request.get(), buffer, (std::min)(available, DWORD{sizeof buffer}), &got));
    if (!read) {
      if (body.empty() || waitLeft() == 0) return std::nullopt;
      break;  // the server broke off: what came before is the text
    }
    if (got == 0) break;
    body.append(buffer, got);
    if (body.size() > kLargestVersionFile) return std::nullopt;
  }
  return body;
}

}  // namespace

std::optional<Bytes> HttpGetBytes(const Text& address) {
  // The exchange runs on a thread of its own so that the wait for it can be
  // cut short; a thread left behind ends with its exchange or the program.
  auto promise = std::make_shared<std::promise<std::optional<Bytes>>>();
  std::future<std::optional<Bytes>> result = promise->get_future();
  std::thread([promise, address] { promise->set_value(Exchange(address)); }).detach();
  if (result.wait_for(HttpLimits::kLongestWait) != std::future_status::ready) return std::nullopt;
  return result.get();
}

}  // namespace zelvorn
