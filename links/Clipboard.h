// The clipboard, in its ANSI text format only (CF_TEXT). Opened without an
// owner window and closed again before each operation returns; failures are
// silent.
#pragma once

#include "links/Window.h"
#include "text/Text.h"

namespace zelvorn {

// A copy of the clipboard's text; empty when the clipboard cannot be opened
// or holds no text.
Text GetClipboardText();

// Replaces the whole clipboard with the text; true once it was handed over.
bool SetClipboardText(const Text& text);

// 按钮1: the clipboard's text replaces the whole of 编辑框1, even when empty.
void PasteSource(Window& window);

// 按钮2: the text of 编辑框2 replaces the whole clipboard.
void CopyResult(Window& window);

}  // namespace zelvorn
