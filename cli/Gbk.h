// Code page 936 (GBK) <-> UTF-8, for terminals that speak UTF-8 while links
// made on Chinese Windows carry GBK bytes. Nothing is ever replaced or
// dropped: text without an exact form in the target gives no value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvorn {

std::optional<std::string> Utf8ToGbk(std::string_view utf8);
std::optional<std::string> GbkToUtf8(std::string_view gbk);

}  // namespace zelvorn
