#include "cli/AddressText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "cli/Gbk.h"
#include "text/Utf8.h"

namespace zelvorn {
namespace {

bool IsControl(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b == 0x7F;
}

// Eight bytes at a time: a line of millions of addresses is checked whole.
bool HasControl(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHigh = 0x8080808080808080u;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t x;
    std::memcpy(&x, text.data() + i, 8);
    const std::uint64_t del = x ^ (0x7F * kOnes);
    // A byte below 0x20, or a byte 0x7F: may also flag a byte next to one.
    if ((((x - 0x20 * kOnes) | (del - kOnes)) & ~x & kHigh) != 0) break;
  }
  return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), IsControl);
}

constexpr std::string_view kNoText =
    "the address is neither UTF-8 nor GBK text; print its bytes with --raw or --percent";
constexpr std::string_view kNotGbk =
    "the address is not GBK text; print it without --gbk, or its bytes with --raw or --percent";
constexpr std::string_view kControl =
    "the address holds a control character; print its bytes with --raw or --percent";

}  // namespace

PrintedAddress AddressAsText(std::string_view address, AddressCharset charset, std::string& storage) {
  // Control characters are ASCII bytes, the same in the address and its text.
  if (HasControl(address)) return {{}, kControl};
  if (charset == AddressCharset::Detect && IsValidUtf8(address)) return {address, {}};
  if (!GbkConverterAvailable()) return {{}, kNoGbkConverter};
  auto converted = GbkToUtf8(address);
  if (!converted) return {{}, charset == AddressCharset::Gbk ? kNotGbk : kNoText};
  storage = std::move(*converted);
  return {storage, {}};
}

void PercentEncode(std::string_view address, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.clear();
  for (const char c : address) {
    const auto b = static_cast<unsigned char>(c);
    if (b > 0x20 && b < 0x7F) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    }
  }
}

}  // namespace zelvorn
