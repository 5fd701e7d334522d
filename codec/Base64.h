// The Base64 codec inside the links: the alphabet and "=" pad of RFC 4648,
// lines of 76 characters ended by CR LF, and a decoder that never rejects its
// input.
//
// Both directions keep the window responsive: they call the host's
// PumpPendingMessages after every character written (encoder, plus once per
// group) or after every group (decoder), and may report progress to a label.
// The host is a template parameter so that the command line, whose host does
// nothing, pays nothing for it. Any nested call that a pump runs keeps its own
// state: the codec holds nothing outside the call.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/Text.h"

namespace zelvorn {

inline constexpr std::string_view Base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// A label of a window that receives progress in percent. (0, 0) refers to
// no label, which is what every caller in this program passes.
struct ProgressLabel {
  std::int32_t window = 0;
  std::int32_t control = 0;
  bool RefersToNone() const { return window == 0 && control == 0; }
};

// The host of a program without a window: no messages, no labels.
struct NoWindow {
  void PumpPendingMessages() {}
  bool LabelExists(ProgressLabel) { return false; }
  void RaiseFeedback(ProgressLabel, std::int32_t, std::int32_t) {}
};

// Length of the text Base64Encode writes for n bytes: 4 characters per group
// of 3 bytes and CR LF after every 19 groups.
constexpr std::size_t Base64EncodedLength(std::size_t n) {
  const std::size_t groups = n / 3 + (n % 3 != 0);
  return 4 * groups + 2 * (groups / 19);
}

namespace detail {

inline constexpr int kGroupsPerLine = 19;
inline constexpr unsigned char kNotInAlphabet = 0xFF;

constexpr std::array<unsigned char, 256> MakeDecodeTable() {
  std::array<unsigned char, 256> table{};
  for (auto& v : table) v = kNotInAlphabet;
  for (std::size_t i = 0; i < Base64Alphabet.size(); ++i)
    table[static_cast<unsigned char>(Base64Alphabet[i])] = static_cast<unsigned char>(i);
  return table;
}
inline constexpr std::array<unsigned char, 256> kDecodeTable = MakeDecodeTable();

// The two characters of every 12-bit value, to write a group in two steps.
constexpr std::array<std::array<char, 2>, 4096> MakeCharPairs() {
  std::array<std::array<char, 2>, 4096> pairs{};
  for (std::size_t v = 0; v < pairs.size(); ++v)
    pairs[v] = {Base64Alphabet[v >> 6], Base64Alphabet[v & 63]};
  return pairs;
}
inline constexpr std::array<std::array<char, 2>, 4096> kCharPairs = MakeCharPairs();

// Each character's value already in its place of the group's 24 bits, and
// kInvalid for a byte outside the alphabet.
inline constexpr std::uint32_t kInvalid = 1u << 24;
constexpr std::array<std::array<std::uint32_t, 256>, 4> MakeShifted() {
  std::array<std::array<std::uint32_t, 256>, 4> shifted{};
  for (int j = 0; j < 4; ++j) {
    for (std::size_t c = 0; c < 256; ++c) {
      const unsigned char v = kDecodeTable[c];
      shifted[j][c] = v == kNotInAlphabet ? kInvalid : std::uint32_t{v} << (18 - 6 * j);
    }
  }
  return shifted;
}
inline constexpr std::array<std::array<std::uint32_t, 256>, 4> kShifted = MakeShifted();

// Percent after group i of g, as the integer part of (i / g) * 100 in double
// precision with the quotient formed first: after group 29 of 100 this is 28.
inline std::int32_t Percent(std::size_t i, std::size_t g) {
  return static_cast<std::int32_t>(static_cast<double>(i) / static_cast<double>(g) * 100.0);
}

template <class Host>
void ReportProgress(Host& host, ProgressLabel receiver, std::size_t i, std::size_t g) {
  if (!receiver.RefersToNone() && host.LabelExists(receiver))
    host.RaiseFeedback(receiver, Percent(i, g), 0);
}

}  // namespace detail

// Writes the Base64 text of `data` at `out`, which has room for
// Base64EncodedLength(data.size()) bytes, and returns the end of what it wrote.
// A piece of 57 x k bytes is k whole lines, so pieces of that size, and a last
// one of any size, join into the text of the whole.
template <class Host>
char* Base64EncodeTo(char* p, std::string_view data, ProgressLabel receiver, Host& host) {
  const std::size_t n = data.size();
  const std::size_t groups = n / 3 + (n % 3 != 0);
  const auto* in = reinterpret_cast<const unsigned char*>(data.data());
  int groupsOnLine = 0;
  for (std::size_t i = 0; i < groups; ++i, in += 3) {
    // Bytes beyond the end of the data read as zero.
    const std::size_t left = n - 3 * i;
    const unsigned x = (unsigned{in[0]} << 16) | (left > 1 ? unsigned{in[1]} << 8 : 0u) |
                       (left > 2 ? unsigned{in[2]} : 0u);
    std::memcpy(p, detail::kCharPairs[x >> 12].data(), 2);
    std::memcpy(p + 2, detail::kCharPairs[x & 0xFFF].data(), 2);
    // One dispatch for each character written; nothing outside this call
    // sees the characters before it returns, so they may be written first.
    host.PumpPendingMessages();
    host.PumpPendingMessages();
    host.PumpPendingMessages();
    host.PumpPendingMessages();
    if (left == 1) p[2] = '=';
    if (left <= 2) p[3] = '=';
    p += 4;
    if (++groupsOnLine == detail::kGroupsPerLine) {
      groupsOnLine = 0;
      p[0] = '\r';
      p[1] = '\n';
      p += 2;
    }
    detail::ReportProgress(host, receiver, i + 1, groups);
    host.PumpPendingMessages();
  }
  return p;
}

// Appends the Base64 text of `data` to `out`. Writing straight after a scheme
// already in `out` saves copying a long link once more.
template <class Host>
void Base64EncodeAppend(Text& out, std::string_view data, ProgressLabel receiver, Host& host) {
  const std::size_t begin = out.size();
  out.resize(begin + Base64EncodedLength(data.size()));
  Base64EncodeTo(out.data() + begin, data, receiver, host);
}

template <class Host>
Text Base64Encode(std::string_view data, ProgressLabel receiver, Host& host) {
  Text out;
  Base64EncodeAppend(out, data, receiver, host);
  return out;
}

inline Text Base64Encode(std::string_view data) {
  NoWindow host;
  return Base64Encode(data, {}, host);
}

// Removes every space 0x20 and full-width space 0xA1 0xA1, then every CR LF
// pair from what is left: the same as ReplaceAll(RemoveAllSpaces(text),
// "\r\n"), in one pass, so a CR LF pair that only meets once the spaces
// between them are gone is removed too. The text may come in pieces: a CR
// waits to see what follows it, and so does a lead byte at a piece's end.
class Base64Cleaner {
 public:
  // Cleans a piece into `out`, which has room for in.size() + 2 bytes; `out`
  // may be in.data() when the whole text is one piece. Returns the length.
  std::size_t Clean(std::string_view in, char* out);
  // What waited at the end (a lone CR; a lone lead byte is dropped).
  std::size_t Finish(char* out);

 private:
  bool pendingCr_ = false;
  int pendingLead_ = -1;
};

void CleanBase64Text(Text& text);

// Decodes cleaned Base64 text group by group. A byte outside the alphabet
// ("=", the zero beyond the end, anything else) ends the group of four in
// which it stands, every group still yields three bytes from the value array
// that the groups share, and where the last group stopped decides how many
// bytes are cut from the end. The text may come in pieces.
template <class Host>
class Base64GroupDecoder {
 public:
  // `groups` is the total, for progress reports; unused for (0, 0).
  Base64GroupDecoder(Host& host, ProgressLabel receiver, std::size_t groups)
      : host_(host), receiver_(receiver), groups_(groups) {}

  // Decodes every whole group, counting characters left over from the last
  // piece; `out` has room for 3 * ((in.size() + 3) / 4 + 1) bytes. Returns
  // the number of bytes written.
  std::size_t Feed(std::string_view in, unsigned char* out) {
    const auto* s = reinterpret_cast<const unsigned char*>(in.data());
    std::size_t n = in.size();
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
        const std::uint32_t v = detail::kShifted[0][s[0]] | detail::kShifted[1][s[1]] |
                                detail::kShifted[2][s[2]] | detail::kShifted[3][s[3]];
        if (v & detail::kInvalid) break;
        w[0] = static_cast<unsigned char>(v >> 16);
        w[1] = static_cast<unsigned char>(v >> 8);
        w[2] = static_cast<unsigned char>(v);
        lastWhole = s;
        detail::ReportProgress(host_, receiver_, ++done_, groups_);
        host_.PumpPendingMessages();
      }
      if (lastWhole != nullptr) {
        for (int j = 0; j < 4; ++j) a_[j] = detail::kDecodeTable[lastWhole[j]];
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

  // Decodes a last group of one to three characters; returns 0 or 3.
  std::size_t Finish(unsigned char* out) {
    if (held_ == 0) return 0;
    const std::size_t written = static_cast<std::size_t>(Group(partial_.data(), held_, out) - out);
    held_ = 0;
    return written;
  }

  // How many bytes to cut from the end of all that was written: 1 when the
  // last group stopped at its fourth character, 2 at its third, 3 at its
  // second and 4 at its first; none when it was read whole or there was none
  // (0 groups give 0 bytes, so any cut leaves them empty).
  std::size_t Cut() const { return stop_ < 5 ? static_cast<std::size_t>(5 - stop_) : 0; }

 private:
  unsigned char* Group(const unsigned char* s, std::size_t avail, unsigned char* w) {
    bool whole = false;
    if (avail == 4) {
      const unsigned char v0 = detail::kDecodeTable[s[0]], v1 = detail::kDecodeTable[s[1]],
                          v2 = detail::kDecodeTable[s[2]], v3 = detail::kDecodeTable[s[3]];
      whole = (v0 | v1 | v2 | v3) < 64;
      if (whole) a_[0] = v0, a_[1] = v1, a_[2] = v2, a_[3] = v3;
    }
    stop_ = 5;
    if (!whole) {
      for (int j = 0; j < 4; ++j) {
        const unsigned char c = static_cast<std::size_t>(j) < avail ? s[j] : 0;
        const unsigned char v = detail::kDecodeTable[c];
        if (v == detail::kNotInAlphabet) {
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
    detail::ReportProgress(host_, receiver_, ++done_, groups_);
    host_.PumpPendingMessages();
    return w + 3;
  }

  Host& host_;
  ProgressLabel receiver_;
  std::size_t groups_;
  std::size_t done_ = 0;
  unsigned char a_[4] = {0, 0, 0, 0};  // the value array, carried from group to group
  std::array<unsigned char, 4> partial_{};
  std::size_t held_ = 0;
  int stop_ = 0;  // where the last group's reading ended; 0 before any group
};

// Decodes the Base64 text after a link's scheme. `link` is replaced by its
// cleaned text first; the decoded bytes may hold zero bytes.
template <class Host>
Bytes Base64Decode(Text& link, ProgressLabel receiver, Host& host) {
  CleanBase64Text(link);
  const std::size_t n = link.size();
  const std::size_t groups = n / 4 + (n % 4 != 0);
  Bytes out(3 * groups, '\0');
  Base64GroupDecoder<Host> decoder(host, receiver, groups);
  auto* w = reinterpret_cast<unsigned char*>(out.data());
  w += decoder.Feed(link, w);
  decoder.Finish(w);
  out.erase(decoder.Cut() >= out.size() ? 0 : out.size() - decoder.Cut());
  return out;
}

inline Bytes Base64Decode(Text& link) {
  NoWindow host;
  return Base64Decode(link, {}, host);
}

}  // namespace zelvorn
