#include "text/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zelvorn {

bool IsValidUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    if (n - i >= 8) {  // eight ASCII bytes at a time, the common case
      std::uint64_t x;
      std::memcpy(&x, s + i, 8);
      if ((x & 0x8080808080808080u) == 0) {
        i += 8;
        continue;
      }
    }
    const unsigned char b = s[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    // The length of the sequence and the range of its second byte, which
    // rules out overlong forms, surrogates and code points past U+10FFFF.
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (n - i < length || s[i + 1] < low || s[i + 1] > high) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

bool HasNonAscii(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace zelvorn
