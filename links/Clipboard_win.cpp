#include <windows.h>

#include <cstring>
#include <cwchar>

#include "app/BoxText_win.h"
#include "links/Clipboard.h"
#include "links/Clipboard_win.h"

namespace zelvorn {
namespace {

// A movable block holding `size` bytes from `data` and then zeros up to
// `blockSize`, or nothing when memory is short.
HGLOBAL BlockOf(const void* data, std::size_t size, std::size_t blockSize) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize);
  if (block == nullptr) return nullptr;
  void* bytes = GlobalLock(block);
  if (bytes == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  if (size > 0) std::memcpy(bytes, data, size);
  GlobalUnlock(block);
  return block;
}

// The clipboard's text as UTF-16; the clipboard is open.
std::wstring OpenClipboardText() {
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* characters = static_cast<const wchar_t*>(GlobalLock(data))) {
      std::wstring text = TextOfClipboardBlock(characters, GlobalSize(data));
      GlobalUnlock(data);
      return text;
    }
  }
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
      const Text text = TextOfClipboardBlock(bytes, GlobalSize(data));
      GlobalUnlock(data);
      return WideFromAnsi(text);
    }
  }
  return {};
}

}  // namespace

Text TextOfClipboardBlock(const char* bytes, std::size_t size) {
  const auto* zero = static_cast<const char*>(std::memchr(bytes, '\0', size));
  return Text(bytes, zero != nullptr ? static_cast<std::size_t>(zero - bytes) : size);
}

std::wstring TextOfClipboardBlock(const wchar_t* characters, std::size_t size) {
  const std::size_t count = size / sizeof(wchar_t);
  const wchar_t* zero = std::wmemchr(characters, L'\0', count);
  return std::wstring(characters, zero != nullptr ? static_cast<std::size_t>(zero - characters) : count);
}

std::string GetClipboardText() {
  if (!OpenClipboard(nullptr)) return {};
  const std::wstring text = OpenClipboardText();
  CloseClipboard();
  return Utf8FromWide(text);
}

bool SetClipboardText(std::string_view utf8) {
  const std::wstring wide = WideFromUtf8(utf8);
  const std::string ansi = AnsiFromWide(wide);
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  // Both forms or neither: a reader never finds one without the other.
  HGLOBAL unicode = BlockOf(wide.data(), wide.size() * sizeof(wchar_t), (wide.size() + 1) * sizeof(wchar_t));
  HGLOBAL text = BlockOf(ansi.data(), ansi.size(), ansi.size() + 1);
  bool handedOver = false;
  if (unicode != nullptr && text != nullptr) {
    // A block the clipboard took is the clipboard's; one it refused is ours.
    const bool unicodeTaken = SetClipboardData(CF_UNICODETEXT, unicode) != nullptr;
    if (unicodeTaken) unicode = nullptr;
    const bool textTaken = SetClipboardData(CF_TEXT, text) != nullptr;
    if (textTaken) text = nullptr;
    handedOver = unicodeTaken && textTaken;
    if (!handedOver) EmptyClipboard();
  }
  if (unicode != nullptr) GlobalFree(unicode);
  if (text != nullptr) GlobalFree(text);
  CloseClipboard();
  return handedOver;
}

void PasteSource(Window& window) { window.SetControlCaption(Control::SourceBox, GetClipboardText()); }

void CopyResult(Window& window) { SetClipboardText(window.GetControlCaption(Control::ResultBox)); }

}  // namespace zelvorn
