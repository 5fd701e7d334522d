// Byte-string operations that the codec, the link conversions and the update
// check are written in. Every length, count and position counts bytes,
// positions start at 1, and a two-byte character counts as two bytes.
//
// The callers compute counts such as "length minus prefix length" and make no
// checks of their own: zero or negative counts give the empty result, counts
// and positions beyond the end are cut. No operation reports an error.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zelvorn {

// A byte string that ends at its first zero byte, so it never holds one (an
// address's bytes: GBK, or UTF-8 where GBK has no form for a character). An
// absent text and the empty text are the same value.
using Text = std::string;

// A byte sequence with an explicit length; may hold zero bytes.
using Bytes = std::string;

std::int32_t TextLength(std::string_view text);
Text TextLeft(std::string_view text, std::int32_t n);
Text TextRight(std::string_view text, std::int32_t n);
Text TextMid(std::string_view text, std::int32_t start, std::int32_t n);
bool TextEquals(std::string_view a, std::string_view b);
Text ConcatText(std::initializer_list<std::string_view> texts);

// The text's bytes, without a terminating zero.
Bytes TextToBytes(std::string_view text);
Bytes TextToBytes(unsigned char byte);

// The bytes before the first zero byte (all of them when there is none).
Text BytesToText(std::string_view bytes);
Text BytesToText(Bytes&& bytes);  // cuts in place

// Characters for the two operations below: a byte of 0x80 or more begins a
// two-byte character together with the byte after it, whatever that is; any
// other byte is a character by itself. A byte of 0x80 or more that is the last
// of the text has no partner and is dropped where the stepping reaches it.
// The rule is fixed, not taken from the code page's lead-byte table.

// Drops every space 0x20 and every full-width space 0xA1 0xA1 (code page 936).
Text RemoveAllSpaces(std::string_view text);

// Replaces every occurrence of `find`, left to right and without overlap,
// trying a match only where a character begins.
Text ReplaceAll(std::string_view text, std::string_view find,
                std::string_view with = {});

}  // namespace zelvorn
