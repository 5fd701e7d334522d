#include "codec/Base64.h"

#include <cstring>

namespace zelvorn {

std::size_t Base64Cleaner::Clean(std::string_view in, char* out) {
  // Every write lands at or before the byte being read, but for what waited
  // from the piece before (at most two bytes).
  std::size_t w = 0;
  auto keep = [&](char c) {
    if (pendingCr_) {
      pendingCr_ = false;
      out[w++] = '\r';
    }
    out[w++] = c;
  };
  std::size_t i = 0;
  if (pendingLead_ >= 0 && !in.empty()) {
    const auto lead = static_cast<unsigned char>(pendingLead_);
    const auto second = static_cast<unsigned char>(in[0]);
    pendingLead_ = -1;
    i = 1;
    if (!(lead == 0xA1 && second == 0xA1)) {
      keep(static_cast<char>(lead));
      out[w++] = static_cast<char>(second);
    }
  }
  for (const std::size_t n = in.size(); i < n;) {
    // Eight printable ASCII bytes at a time (none of them a space, a line
    // break or a lead byte) are copied as they stand.
    if (n - i >= 8) {
      std::uint64_t x;
      std::memcpy(&x, in.data() + i, 8);
      constexpr std::uint64_t kOnes = 0x0101010101010101u, kHigh = 0x8080808080808080u;
      if (((x | ((x - 0x21 * kOnes) & ~x)) & kHigh) == 0) {
        if (pendingCr_) {
          pendingCr_ = false;
          out[w++] = '\r';
        }
        std::memcpy(out + w, &x, 8);
        w += 8, i += 8;
        continue;
      }
    }
    const auto b = static_cast<unsigned char>(in[i]);
    if (b < 0x80) {
      i += 1;
      if (b == ' ') continue;
      if (b == '\n' && pendingCr_) {
        pendingCr_ = false;
        continue;
      }
      if (b == '\r') {
        if (pendingCr_) out[w++] = '\r';
        pendingCr_ = true;
        continue;
      }
      keep(static_cast<char>(b));
    } else if (i + 1 == n) {
      pendingLead_ = b;  // its second byte comes with the next piece, if any
      i += 1;
    } else {
      const auto b2 = static_cast<unsigned char>(in[i + 1]);
      i += 2;
      if (b == 0xA1 && b2 == 0xA1) continue;
      keep(static_cast<char>(b));
      out[w++] = static_cast<char>(b2);
    }
  }
  return w;
}

std::size_t Base64Cleaner::Finish(char* out) {
  pendingLead_ = -1;  // a lead byte without its second byte is dropped
  if (!pendingCr_) return 0;
  pendingCr_ = false;
  out[0] = '\r';
  return 1;
}

void CleanBase64Text(Text& text) {
  Base64Cleaner cleaner;
  std::size_t n = cleaner.Clean(text, text.data());
  n += cleaner.Finish(text.data() + n);
  text.resize(n);
}

}  // namespace zelvorn
