// Telling UTF-8 text from bytes in another encoding. Links made on Chinese
// Windows carry GBK bytes, links made elsewhere UTF-8: an address whose bytes
// are valid UTF-8 and hold a byte of 0x80 or more is taken as UTF-8 text.
#pragma once

#include <string_view>

namespace zelvorn {

// True when the bytes are well-formed UTF-8 (RFC 3629: no overlong forms,
// no surrogates, nothing above U+10FFFF). The empty text is valid.
bool IsValidUtf8(std::string_view bytes);

// True when some byte is 0x80 or more.
bool HasNonAscii(std::string_view bytes);

}  // namespace zelvorn
