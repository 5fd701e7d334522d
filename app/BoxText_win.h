// What the Unicode text of a box is as an address's bytes, and back. Links
// are read by Chinese download managers, which take an address's bytes as
// GBK (code page 936): an address whose characters all have a GBK form is
// written so, whatever the system's own code page; one with a character that
// has none (Korean, emoji) is written as UTF-8 instead of losing it. Decoded
// bytes that are valid UTF-8 with a byte of 0x80 or more show as the text
// they spell; any other bytes show as GBK text.
#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace zelvorn {

inline constexpr unsigned kLinkCodePage = 936;

// The box's text as an address's bytes: GBK when every character has an
// exact GBK form, else UTF-8.
Text AddressBytesOf(std::wstring_view boxText);

// The text that an address's bytes show as in a box: the UTF-8 they spell
// when they are valid UTF-8 and not all ASCII, else their GBK reading.
std::wstring BoxTextOf(std::string_view addressBytes);

// Character for character, for the program's own texts and for text that
// moves as it stands (the clipboard). A lone surrogate, which spells no
// character, becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// In the system's own code page: the clipboard's ANSI form.
std::wstring WideFromAnsi(std::string_view ansi);
std::string AnsiFromWide(std::wstring_view wide);

}  // namespace zelvorn
