#include "codec/Base64.h"

#include <algorithm>
#include <cstring>

namespace zelvorn {
namespace {

constexpr int kGroupsPerLine = 19;

// The two characters of every 12-bit value, to write a group in two steps.
constexpr std::array<std::array<char, 2>, 4096> MakeCharPairs() {
  std::array<std::array<char, 2>, 4096> pairs{};
  for (std::size_t v = 0; v < pairs.size(); ++v)
    pairs[v] = {Base64Alphabet[v >> 6], Base64Alphabet[v & 63]};
  return pairs;
}
constexpr std::array<std::array<char, 2>, 4096> kCharPairs = MakeCharPairs();

// Each character's value already in its place of the group's 24 bits, and
// kInvalid for a byte outside the alphabet.
constexpr std::uint32_t kInvalid = 1u << 24;
constexpr std::array<std::array<std::uint32_t, 256>, 4> MakeShifted() {
  std::array<std::array<std::uint32_t, 256>, 4> shifted{};
  for (int j = 0; j < 4; ++j) {
    for (std::size_t c = 0; c < 256; ++c) {
      const unsigned char v = kBase64Values[c];
      shifted[j][c] = v == kNotBase64 ? kInvalid : std::uint32_t{v} << (18 - 6 * j);
    }
  }
  return shifted;
}
constexpr std::array<std::array<std::uint32_t, 256>, 4> kShifted = MakeShifted();

}  // namespace

std::size_t Base64EncodeTo(std::string_view data, char* out) {
  const std::size_t n = data.size();
  const std::size_t groups = n / 3 + (n % 3 != 0);
  const auto* in = reinterpret_cast<const unsigned char*>(data.data());
  char* p = out;
  int groupsOnLine = 0;
  for (std::size_t i = 0; i < groups; ++i, in += 3) {
    // Bytes beyond the end of the data read as zero.
    const std::size_t left = n - 3 * i;
    const unsigned x = (unsigned{in[0]} << 16) | (left > 1 ? unsigned{in[1]} << 8 : 0u) |
                       (left > 2 ? unsigned{in[2]} : 0u);
    std::memcpy(p, kCharPairs[x >> 12].data(), 2);
    std::memcpy(p + 2, kCharPairs[x & 0xFFF].data(), 2);
    if (left == 1) p[2] = '=';
    if (left <= 2) p[3] = '=';
    p += 4;
    if (++groupsOnLine == kGroupsPerLine) {
      groupsOnLine = 0;
      p[0] = '\r';
      p[1] = '\n';
      p += 2;
    }
  }
  return static_cast<std::size_t>(p - out);
}

Text Base64Encode(std::string_view data) {
  Text out(Base64EncodedLength(data.size()), '\0');
  Base64EncodeTo(data, out.data());
  return out;
}

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

std::size_t Base64Decoder::Feed(std::string_view cleaned, unsigned char* out) {
  const auto* s = reinterpret_cast<const unsigned char*>(cleaned.data());
  std::size_t n = cleaned.size();
  unsigned char* w = out;
  if (held_ > 0) {  // complete the group that the last piece began
    const std::size_t take = std::min(4 - held_, n);
    std::copy(s, s + take, partial_.begin() + static_cast<std::ptrdiff_t>(held_));
    held_ += take, s += take, n -= take;
    if (held_ == 4) {
      w = Group(partial_.data(), 4, w);
      held_ = 0;
    }
  }
  while (n >= 4) {
    // Whole groups of alphabet characters, the common case, in a run that
    // leaves the value array to be filled from the run's last group.
    const unsigned char* lastWhole = nullptr;
    for (; n >= 4; n -= 4, s += 4, w += 3) {
      const std::uint32_t v = kShifted[0][s[0]] | kShifted[1][s[1]] | kShifted[2][s[2]] | kShifted[3][s[3]];
      if (v & kInvalid) break;
      w[0] = static_cast<unsigned char>(v >> 16);
      w[1] = static_cast<unsigned char>(v >> 8);
      w[2] = static_cast<unsigned char>(v);
      lastWhole = s;
    }
    if (lastWhole != nullptr) {
      for (int j = 0; j < 4; ++j) a_[j] = kBase64Values[lastWhole[j]];
      stop_ = 5;
    }
    if (n >= 4) {
      w = Group(s, 4, w);
      n -= 4, s += 4;
    }
  }
  if (n > 0) {  // nothing is held here: fewer than four characters wait
    std::copy(s, s + n, partial_.begin());
    held_ = n;
  }
  return static_cast<std::size_t>(w - out);
}

std::size_t Base64Decoder::Finish(unsigned char* out) {
  if (held_ == 0) return 0;
  const std::size_t written = static_cast<std::size_t>(Group(partial_.data(), held_, out) - out);
  held_ = 0;
  return written;
}

unsigned char* Base64Decoder::Group(const unsigned char* s, std::size_t avail, unsigned char* w) {
  bool whole = false;
  if (avail == 4) {
    const unsigned char v0 = kBase64Values[s[0]], v1 = kBase64Values[s[1]], v2 = kBase64Values[s[2]],
                        v3 = kBase64Values[s[3]];
    whole = (v0 | v1 | v2 | v3) < 64;
    if (whole) a_[0] = v0, a_[1] = v1, a_[2] = v2, a_[3] = v3;
  }
  stop_ = 5;
  if (!whole) {
    for (int j = 0; j < 4; ++j) {
      const unsigned char c = static_cast<std::size_t>(j) < avail ? s[j] : 0;
      const unsigned char v = kBase64Values[c];
      if (v == kNotBase64) {
        a_[j] = c;  // the stopping byte leaves its own code
        stop_ = j + 1;
        break;
      }
      a_[j] = v;
    }
  }
  w[0] = static_cast<unsigned char>((a_[0] << 2) | (a_[1] >> 4));
  w[1] = static_cast<unsigned char>((a_[1] << 4) | (a_[2] >> 2));
  w[2] = static_cast<unsigned char>((a_[2] << 6) | a_[3]);
  return w + 3;
}

Bytes Base64Decode(Text& link) {
  CleanBase64Text(link);
  Bytes out(Base64Decoder::DecodedCapacity(link.size()), '\0');
  Base64Decoder decoder;
  auto* w = reinterpret_cast<unsigned char*>(out.data());
  std::size_t n = decoder.Feed(link, w);
  n += decoder.Finish(w + n);
  out.resize(n - std::min(decoder.Cut(), n));
  return out;
}

}  // namespace zelvorn
