// The Base64 codec inside the links: the alphabet and "=" pad of RFC 4648,
// lines of 76 characters ended by CR LF, and a decoder that never rejects its
// input.
//
// Both directions work on caller-sized buffers, so a long text can go through
// in pieces: the encoder takes whole lines (multiples of 57 bytes) and a last
// piece of any size; the decoder takes cleaned text in pieces of any size and
// carries what a piece leaves over to the next one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/Text.h"

namespace zelvorn {

inline constexpr std::string_view Base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The bytes of one line of 76 characters.
inline constexpr std::size_t kBase64LineBytes = 57;

// Length of the text Base64EncodeTo writes for n bytes: 4 characters per
// group of 3 bytes and CR LF after every 19 groups.
constexpr std::size_t Base64EncodedLength(std::size_t n) {
  const std::size_t groups = n / 3 + (n % 3 != 0);
  return 4 * groups + 2 * (groups / 19);
}

// Writes the Base64 text of `data` at `out`, which has room for
// Base64EncodedLength(data.size()) bytes, and returns that length.
std::size_t Base64EncodeTo(std::string_view data, char* out);

Text Base64Encode(std::string_view data);

// Each byte's 6-bit value in Base64Alphabet, or kNotBase64 for a byte
// outside it.
inline constexpr unsigned char kNotBase64 = 0xFF;
inline constexpr std::array<unsigned char, 256> kBase64Values = [] {
  std::array<unsigned char, 256> values{};
  values.fill(kNotBase64);
  for (std::size_t i = 0; i < Base64Alphabet.size(); ++i)
    values[static_cast<unsigned char>(Base64Alphabet[i])] = static_cast<unsigned char>(i);
  return values;
}();

// True for the 64 characters of Base64Alphabet.
inline bool IsBase64Character(char c) { return kBase64Values[static_cast<unsigned char>(c)] != kNotBase64; }

// Removes every space 0x20 and full-width space 0xA1 0xA1, then every CR LF
// pair from what is left: the same as ReplaceAll(RemoveAllSpaces(text),
// "\r\n"), in one pass, so a CR LF pair that only meets once the spaces
// between them are gone is removed too. The text may come in pieces: a CR
// waits to see what follows it, and so does a lead byte at a piece's end.
class Base64Cleaner {
 public:
  // Room `out` needs for a piece of n bytes.
  static constexpr std::size_t CleanedCapacity(std::size_t n) { return n + 2; }
  // Cleans a piece into `out`; `out` may be in.data() when the whole text is
  // one piece. Returns the length.
  std::size_t Clean(std::string_view in, char* out);
  // What waited at the end (a lone CR; a lone lead byte is dropped).
  std::size_t Finish(char* out);

 private:
  bool pendingCr_ = false;
  int pendingLead_ = -1;
};

// Decodes cleaned Base64 text group by group. A byte outside the alphabet
// ("=", the zero beyond the end, anything else) ends the group of four in
// which it stands, every group still yields three bytes from the value array
// that the groups share, and where the last group stopped decides how many
// bytes are cut from the end. The text may come in pieces of any size.
class Base64Decoder {
 public:
  // Room `out` needs for Feed of n characters, or for Finish (n = 0).
  static constexpr std::size_t DecodedCapacity(std::size_t n) { return 3 * (n / 4 + 1); }

  // Decodes every whole group, counting characters left over from the last
  // piece. Returns the number of bytes written.
  std::size_t Feed(std::string_view cleaned, unsigned char* out);
  // Decodes a last group of one to three characters; returns 0 or 3.
  std::size_t Finish(unsigned char* out);
  // How many bytes to cut from the end of all that was written: 1 when the
  // last group stopped at its fourth character, 2 at its third, 3 at its
  // second and 4 at its first; none when it was read whole or there was none.
  // A cut larger than what was written leaves nothing.
  std::size_t Cut() const { return stop_ < 5 ? static_cast<std::size_t>(5 - stop_) : 0; }

 private:
  unsigned char* Group(const unsigned char* s, std::size_t avail, unsigned char* w);

  unsigned char a_[4] = {0, 0, 0, 0};  // the value array, carried from group to group
  std::array<unsigned char, 4> partial_{};
  std::size_t held_ = 0;
  int stop_ = 0;  // where the last group's reading ended; 0 before any group
};

// Cleans `text` in place (spaces, full-width spaces, CR LF pairs).
void CleanBase64Text(Text& text);

// Decodes the Base64 text after a link's scheme. `link` is replaced by its
// cleaned text first; the decoded bytes may hold zero bytes.
Bytes Base64Decode(Text& link);

}  // namespace zelvorn
