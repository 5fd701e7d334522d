#include <windows.h>
#include <shellapi.h>

#include "cli/Gbk.h"

namespace zelvorn {
namespace {

constexpr UINT kGbk = 936;

std::optional<std::wstring> ToWide(UINT codePage, std::string_view in) {
  if (in.empty()) return std::wstring();
  const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                    static_cast<int>(in.size()), nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                      out.data(), n);
  return out;
}

std::optional<std::string> FromWide(UINT codePage, const std::wstring& in) {
  if (in.empty()) return std::string();
  // A character without a form in code page 936 would become "?": refuse it.
  BOOL usedDefault = FALSE;
  BOOL* const check = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()),
                                    nullptr, 0, nullptr, check);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

}  // namespace

bool GbkConverterAvailable() { return IsValidCodePage(kGbk) != 0; }

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  const auto wide = ToWide(CP_UTF8, utf8);
  return wide ? FromWide(kGbk, *wide) : std::nullopt;
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  const auto wide = ToWide(kGbk, gbk);
  return wide ? FromWide(CP_UTF8, *wide) : std::nullopt;
}

std::vector<std::string> Utf8Arguments(int, char**) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(FromWide(CP_UTF8, wide[i]).value_or(""));
  LocalFree(wide);
  return arguments;
}

}  // namespace zelvorn
