// The clipboard's text, character for character: Unicode text (CF_UNICODETEXT)
// for the programs that read it, beside the ANSI form (CF_TEXT) for those that
// read only that. Opened without an owner window and closed again before each
// operation returns; failures are silent.
#pragma once

#include <string>
#include <string_view>

#include "links/Window.h"

namespace zelvorn {

// A copy of the clipboard's text as UTF-8: its Unicode text when it has one,
// else its ANSI text read in the system's code page. Empty when the
// clipboard cannot be opened or holds no text.
std::string GetClipboardText();

// Replaces the whole clipboard with the text, as Unicode text and in the
// ANSI form; true once both were handed over. When either block cannot be
// had, the clipboard is left empty.
bool SetClipboardText(std::string_view utf8);

// PasteButton: the clipboard's text replaces the whole of SourceBox, even when empty.
void PasteSource(Window& window);

// CopyButton: the text of ResultBox replaces the whole clipboard.
void CopyResult(Window& window);

}  // namespace zelvorn
