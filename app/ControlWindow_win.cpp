#include "app/ControlWindow_win.h"

namespace zelvorn {

namespace {

std::wstring WideTextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

Text ControlWindow::GetControlText(Control control) { return AddressBytesOf(WideTextOf(Handle(control))); }

void ControlWindow::SetControlText(Control control, const Text& text) {
  SetWindowTextW(Handle(control), BoxTextOf(text).c_str());
}

std::string ControlWindow::GetControlCaption(Control control) { return Utf8FromWide(WideTextOf(Handle(control))); }

void ControlWindow::SetControlCaption(Control control, std::string_view utf8) {
  SetWindowTextW(Handle(control), WideFromUtf8(utf8).c_str());
}

void ControlWindow::PumpPendingMessages() {
  if (GetTickCount64() - lastLook_ < lookInterval_) return;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) break;  // left for the message loop
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {  // came first after all: put it back
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    Dispatch(msg);
  }
  // From the end of this look: a handler that ran long has just let the
  // user in, and the conversion need not look again at once.
  lastLook_ = GetTickCount64();
}

MessageAnswer ControlWindow::ShowMessage(std::string_view text, std::string_view title, MessageStyle style) {
  UINT flags = MB_TASKMODAL;
  switch (style) {
    case MessageStyle::OkError: flags |= MB_OK | MB_ICONERROR; break;
    case MessageStyle::YesNoQuestion: flags |= MB_YESNO | MB_ICONQUESTION; break;
    case MessageStyle::OkExclamation: flags |= MB_OK | MB_ICONEXCLAMATION; break;
  }
  switch (MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(title).c_str(), flags)) {
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    default: return MessageAnswer::Ok;
  }
}

void ControlWindow::Dispatch(const MSG& msg) const {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && main_ != nullptr &&
      (msg.hwnd == main_ || IsChild(main_, msg.hwnd))) {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace zelvorn
