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

#include <array>
#include <cstddef>
#include <cstdint>
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

// Appends the Base64 text of `data` to `out`. Writing straight after a scheme
// already in `out` saves copying a long link once more.
template <class Host>
void Base64EncodeAppend(Text& out, std::string_view data, ProgressLabel receiver, Host& host) {
  const std::size_t n = data.size();
  const std::size_t groups = n / 3 + (n % 3 != 0);
  const std::size_t begin = out.size();
  out.resize(begin + Base64EncodedLength(n));
  char* p = out.data() + begin;
  const auto* in = reinterpret_cast<const unsigned char*>(data.data());

  int groupsOnLine = 0;
  for (std::size_t i = 0; i < groups; ++i, in += 3) {
    // Bytes beyond the end of the data read as zero.
    const std::size_t left = n - 3 * i;
    const unsigned x1 = in[0];
    const unsigned x2 = left > 1 ? in[1] : 0u;
    const unsigned x3 = left > 2 ? in[2] : 0u;
    p[0] = Base64Alphabet[x1 >> 2];
    host.PumpPendingMessages();
    p[1] = Base64Alphabet[((x1 & 3u) << 4) | (x2 >> 4)];
    host.PumpPendingMessages();
    p[2] = Base64Alphabet[((x2 & 15u) << 2) | (x3 >> 6)];
    host.PumpPendingMessages();
    p[3] = Base64Alphabet[x3 & 63u];
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
// pair from what is left, in one pass and in place. The same result as
// ReplaceAll(RemoveAllSpaces(text), "\r\n"): a CR LF pair that only meets
// once the spaces between them are gone is removed too.
void CleanBase64Text(Text& text);

// Decodes the Base64 text after a link's scheme. `link` is replaced by its
// cleaned text first. A byte outside the alphabet ("=", the zero beyond the
// end, anything else) ends the group of four in which it stands, every group
// still yields three bytes from the value array that groups share, and where
// the last group stopped decides how many bytes are cut from the end.
template <class Host>
Bytes Base64Decode(Text& link, ProgressLabel receiver, Host& host) {
  CleanBase64Text(link);
  const std::size_t n = link.size();
  const std::size_t groups = n / 4 + (n % 4 != 0);
  Bytes out(3 * groups, '\0');
  auto* w = reinterpret_cast<unsigned char*>(out.data());
  const auto* s = reinterpret_cast<const unsigned char*>(link.data());

  unsigned char a[4] = {0, 0, 0, 0};  // carried from group to group
  int stop = 0;                       // where the last group's reading ended
  for (std::size_t i = 0; i < groups; ++i, s += 4, w += 3) {
    const std::size_t avail = n - 4 * i;
    bool whole = false;
    if (avail >= 4) {
      const unsigned char v0 = detail::kDecodeTable[s[0]], v1 = detail::kDecodeTable[s[1]],
                          v2 = detail::kDecodeTable[s[2]], v3 = detail::kDecodeTable[s[3]];
      whole = (v0 | v1 | v2 | v3) < 64;
      if (whole) a[0] = v0, a[1] = v1, a[2] = v2, a[3] = v3;
    }
    stop = 5;
    if (!whole) {
      for (int j = 0; j < 4; ++j) {
        const unsigned char c = static_cast<std::size_t>(j) < avail ? s[j] : 0;
        const unsigned char v = detail::kDecodeTable[c];
        if (v == detail::kNotInAlphabet) {
          a[j] = c;  // the stopping byte leaves its own code
          stop = j + 1;
          break;
        }
        a[j] = v;
      }
    }
    w[0] = static_cast<unsigned char>((a[0] << 2) | (a[1] >> 4));
    w[1] = static_cast<unsigned char>((a[1] << 4) | (a[2] >> 2));
    w[2] = static_cast<unsigned char>((a[2] << 6) | a[3]);
    detail::ReportProgress(host, receiver, i + 1, groups);
    host.PumpPendingMessages();
  }

  if (stop < 5) {
    const std::size_t cut = static_cast<std::size_t>(5 - stop);
    out.resize(cut >= out.size() ? 0 : out.size() - cut);
  }
  return out;
}

inline Bytes Base64Decode(Text& link) {
  NoWindow host;
  return Base64Decode(link, {}, host);
}

}  // namespace zelvorn
