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

// PasteButton: the clipboard's text replaces the whole of SourceBox, even when empty.
void PasteSource(Window& window);

// CopyButton: the text of ResultBox replaces the whole clipboard.
void CopyResult(Window& window);

}  // namespace zelvorn
