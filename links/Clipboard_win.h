// The one piece of the Windows clipboard code that tests reach directly.
#pragma once

#include <cstddef>

#include "text/Text.h"

namespace zelvorn {

// The text in a clipboard block of `size` bytes (GlobalSize): the bytes up
// to its first zero byte, or all of them when another program left out the
// terminating zero. Never reads past the block.
Text TextOfClipboardBlock(const char* bytes, std::size_t size);

}  // namespace zelvorn
