// The pieces of the Windows clipboard code that tests reach directly.
#pragma once

#include <cstddef>
#include <string>

#include "text/Text.h"

namespace zelvorn {

// The text in a clipboard block of `size` bytes (GlobalSize): the characters
// up to the first zero, or all of them when another program left out the
// terminating zero. Never reads past the block; a wide block's odd last byte
// is no character.
Text TextOfClipboardBlock(const char* bytes, std::size_t size);
std::wstring TextOfClipboardBlock(const wchar_t* characters, std::size_t size);

}  // namespace zelvorn
