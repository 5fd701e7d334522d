#include "codec/Base64.h"

namespace zelvorn {

void CleanBase64Text(Text& text) {
  // Spaces go first, so a CR LF pair may only form once they are gone: a CR
  // waits in `pendingCr` until the next kept character shows whether it is
  // the start of a pair. Every write lands at or before the byte being read.
  char* s = text.data();
  const std::size_t n = text.size();
  std::size_t w = 0;
  bool pendingCr = false;
  for (std::size_t i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      i += 1;
      if (b == ' ') continue;
      if (pendingCr) {
        pendingCr = false;
        if (b == '\n') continue;
        s[w++] = '\r';
      }
      if (b == '\r') {
        pendingCr = true;
        continue;
      }
      s[w++] = static_cast<char>(b);
    } else {
      if (i + 1 == n) break;  // a lead byte without its second byte is dropped
      const auto b2 = static_cast<unsigned char>(s[i + 1]);
      i += 2;
      if (b == 0xA1 && b2 == 0xA1) continue;
      if (pendingCr) {
        pendingCr = false;
        s[w++] = '\r';
      }
      s[w++] = static_cast<char>(b);
      s[w++] = static_cast<char>(b2);
    }
  }
  if (pendingCr) s[w++] = '\r';
  text.resize(w);
}

}  // namespace zelvorn
