#include <windows.h>

#include <cstring>

#include "links/Clipboard.h"
#include "links/Clipboard_win.h"

namespace zelvorn {

Text TextOfClipboardBlock(const char* bytes, std::size_t size) {
  const auto* zero = static_cast<const char*>(std::memchr(bytes, '\0', size));
  return Text(bytes, zero != nullptr ? static_cast<std::size_t>(zero - bytes) : size);
}

Text GetClipboardText() {
  if (!OpenClipboard(nullptr)) return {};
  Text text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
      text = TextOfClipboardBlock(bytes, GlobalSize(data));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool SetClipboardText(const Text& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool handedOver = false;
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1)) {
    if (auto* bytes = static_cast<char*>(GlobalLock(block))) {
      std::memcpy(bytes, text.c_str(), text.size() + 1);
      GlobalUnlock(block);
      handedOver = SetClipboardData(CF_TEXT, block) != nullptr;
    }
    if (!handedOver) GlobalFree(block);  // the clipboard did not take it
  }
  CloseClipboard();
  return handedOver;
}

void PasteSource(Window& window) { window.SetControlText(Control::SourceBox, GetClipboardText()); }

void CopyResult(Window& window) { SetClipboardText(window.GetControlText(Control::ResultBox)); }

}  // namespace zelvorn
