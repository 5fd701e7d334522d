#include <windows.h>
#include <wininet.h>

#include "app/Lifecycle.h"
#include "app/UpdateCheck.h"
#include "app/WebLinks.h"

namespace zelvorn {
namespace {

// The start waits for the check, so no exchange may hold it long.
constexpr DWORD kConnectTimeoutMs = 2000;
constexpr DWORD kSendReceiveTimeoutMs = 3000;

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

}  // namespace

std::optional<Bytes> HttpGetBytes(const Text& address) {
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
  // On the request handle: Wine ignores them on the session.
  DWORD connectTimeout = kConnectTimeoutMs, ioTimeout = kSendReceiveTimeoutMs;
  InternetSetOptionA(request.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout, sizeof(DWORD));
  InternetSetOptionA(request.get(), INTERNET_OPTION_SEND_TIMEOUT, &ioTimeout, sizeof(DWORD));
  InternetSetOptionA(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &ioTimeout, sizeof(DWORD));
  if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return std::nullopt;

  DWORD status = 0, size = sizeof status;
  if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr) ||
      status != 200)
    return std::nullopt;

  Bytes body;
  char buffer[4096];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request.get(), buffer, sizeof buffer, &got)) {
      if (body.empty()) return std::nullopt;
      break;  // what came before the break is the text
    }
    if (got == 0) break;
    body.append(buffer, got);
    if (body.size() > kLargestVersionFile) return std::nullopt;
  }
  return body;
}

void CheckForUpdate(Window& window) {
  const UpdatePlatform platform{HttpGetBytes, OpenWithExplorer, [](int code) { EndProgram(code); }};
  CheckForUpdate(window, platform);
}

}  // namespace zelvorn
