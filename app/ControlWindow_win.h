// The window seam on real Win32 controls, and the message pump that keeps
// the window alive while a long conversion works.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "app/BoxText_win.h"
#include "links/Window.h"

namespace zelvorn {

class ControlWindow final : public Window {
 public:
  // Under Wine every look at an empty queue is a round trip to the server
  // (about 40 us), and callers may pump as often as they like (the
  // conversions pump after every piece): looking at most once per this many
  // milliseconds keeps frequent pumps cheap, while nothing a user does waits
  // noticeably.
  static constexpr ULONGLONG kLookInterval = 5;

  explicit ControlWindow(ULONGLONG lookInterval = kLookInterval) : lookInterval_(lookInterval) {}

  // `main` is the window that Esc closes; `controls` are indexed by Control.
  void Attach(HWND main, const std::array<HWND, kControlCount>& controls) {
    main_ = main;
    controls_ = controls;
  }
  HWND Handle(Control control) const { return controls_[static_cast<std::size_t>(control)]; }

  // The controls hold Unicode text; an address's bytes are that text in
  // GBK or UTF-8, as BoxText_win.h says.
  Text GetControlText(Control control) override;
  void SetControlText(Control control, const Text& text) override;
  // Character for character, as UTF-8.
  std::string GetControlCaption(Control control) override;
  void SetControlCaption(Control control, std::string_view utf8) override;
  // Dispatches every message waiting in the thread's queue, but leaves a
  // quit message at its head for the message loop. Looks at the queue only
  // when kLookInterval has passed since the last look (GetTickCount64, so
  // about every 16 ms on Windows, every 5 ms under Wine).
  void PumpPendingMessages() override;
  // MessageBoxW with no owner window, task-modal.
  MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageStyle style) override;

  // Translates and dispatches one message of the thread's queue, except
  // that Esc pressed in the main window or any of its controls becomes a
  // close request to the main window: no control takes Esc for itself.
  void Dispatch(const MSG& msg) const;

 private:
  HWND main_ = nullptr;
  std::array<HWND, kControlCount> controls_{};
  ULONGLONG lookInterval_;
  ULONGLONG lastLook_ = 0;
};

}  // namespace zelvorn
