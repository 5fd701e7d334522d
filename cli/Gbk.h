// Code page 936 (GBK) <-> UTF-8, for terminals that speak UTF-8 while links
// made on Chinese Windows carry GBK bytes. Nothing is ever replaced or
// dropped: text without an exact form in the target gives no value.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvorn {

// False when the system has no converter for code page 936 (a minimal image
// without glibc's GBK module): then every conversion gives no value, and the
// caller says why instead of blaming the text.
bool GbkConverterAvailable();
inline constexpr std::string_view kNoGbkConverter =
    "this system has no GBK (code page 936) converter; install glibc's gconv modules";

std::optional<std::string> Utf8ToGbk(std::string_view utf8);
std::optional<std::string> GbkToUtf8(std::string_view gbk);

// The program's arguments in UTF-8, after the program name. Windows hands
// main() its arguments in the ANSI code page, where a character outside it
// is already lost; elsewhere they are what the terminal sent.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace zelvorn
