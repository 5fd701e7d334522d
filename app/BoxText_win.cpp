#include "app/BoxText_win.h"

#include <windows.h>

#include "text/Utf8.h"

namespace zelvorn {
namespace {

std::wstring ToWide(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0)), L'\0');
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return wide;
}

// `usedDefault` set (code pages other than UTF-8 only) reports a character
// that has no exact form: WC_NO_BEST_FIT_CHARS keeps a look-alike from
// passing for it.
std::string FromWide(UINT codePage, std::wstring_view wide, BOOL* usedDefault = nullptr) {
  if (wide.empty()) return {};
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int size = static_cast<int>(wide.size());
  std::string bytes(
      static_cast<std::size_t>(WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr)),
      '\0');
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), static_cast<int>(bytes.size()),
                                    nullptr, usedDefault);
  bytes.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return bytes;
}

}  // namespace

Text AddressBytesOf(std::wstring_view boxText) {
  BOOL usedDefault = FALSE;
  Text gbk = FromWide(kLinkCodePage, boxText, &usedDefault);
  // Nothing back from a text that has characters: the system could not
  // convert at all, and UTF-8 still keeps every one.
  if (usedDefault || (gbk.empty() && !boxText.empty())) return FromWide(CP_UTF8, boxText);
  return gbk;
}

std::wstring BoxTextOf(std::string_view addressBytes) {
  const bool utf8 = HasNonAscii(addressBytes) && IsValidUtf8(addressBytes);
  return ToWide(utf8 ? CP_UTF8 : kLinkCodePage, addressBytes);
}

std::wstring WideFromUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Utf8FromWide(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

std::wstring WideFromAnsi(std::string_view ansi) { return ToWide(CP_ACP, ansi); }

std::string AnsiFromWide(std::wstring_view wide) { return FromWide(CP_ACP, wide); }

}  // namespace zelvorn
