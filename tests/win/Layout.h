// The main window's layout as another program sees it: where each control
// stands in its container, and whether its caption fits it in the font the
// screen's DPI calls for.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "WinTest.h"

namespace zelvorn::wintest {

// The screen's DPI as a DPI-aware program sees it.
inline int ScreenDpi() {
  SetProcessDPIAware();
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

struct Layout {
  SIZE window{};
  std::array<RECT, kControlCount> controls{};  // each in its container's client area
};

inline Layout ReadLayout(HWND main) {
  Layout layout;
  RECT r;
  GetWindowRect(main, &r);
  layout.window = {r.right - r.left, r.bottom - r.top};
  for (int i = 0; i < kControlCount; ++i) {
    HWND hwnd = Child(main, static_cast<Control>(i));
    layout.controls[static_cast<std::size_t>(i)] = RectIn(hwnd, GetParent(hwnd));
  }
  return layout;
}

// The fonts the window's captions are written in at the screen's DPI: the
// system's GUI font (made for that DPI), and the clipboard buttons' bold
// 宋体 of 13 pixels at 96 DPI.
class CaptionFonts {
 public:
  explicit CaptionFonts(int dpi)
      : bold_(CreateFontW(-MulDiv(13, dpi, 96), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体")) {}
  ~CaptionFonts() { DeleteObject(bold_); }
  CaptionFonts(const CaptionFonts&) = delete;
  CaptionFonts& operator=(const CaptionFonts&) = delete;

  HFONT Gui() const { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
  HFONT Bold() const { return bold_; }

  // The widest line of the text and the height of all its lines.
  SIZE Extent(HFONT font, const std::wstring& text) const {
    HDC dc = GetDC(nullptr);
    const auto old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SIZE whole{0, 0};
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = text.find(L"\r\n", start);
      const std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
      SIZE size{};
      GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
      whole.cx = (std::max)(whole.cx, size.cx);
      whole.cy += metrics.tmHeight;
      if (end == std::wstring::npos) break;
      start = end + 2;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return whole;
  }

 private:
  HFONT bold_;
};

// Every caption of the window is whole: each line of a push button, a
// group box's caption beside its frame, an image button's caption beside
// its logo, a label's caption; and each box shows several lines.
inline void ExpectEveryCaptionWhole(HWND main, int dpi) {
  const CaptionFonts fonts(dpi);
  const auto scaled = [dpi](int length) { return length * dpi / 96; };
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    HWND hwnd = Child(main, control);
    SCOPED_TRACE("control " + std::to_string(i) + " \"" + Utf8(CaptionOf(hwnd)) + "\"");
    RECT r;
    GetClientRect(hwnd, &r);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const std::wstring cls = ClassOf(hwnd), caption = CaptionOf(hwnd);
    const bool bold = control == Control::PasteButton || control == Control::CopyButton;
    const SIZE text = fonts.Extent(bold ? fonts.Bold() : fonts.Gui(), caption);
    if (cls == L"Edit") {
      EXPECT_GE(r.bottom, 4 * fonts.Extent(fonts.Gui(), L"x").cy) << "a box shows four lines or more";
    } else if (cls == L"Static") {
      EXPECT_LE(text.cx, r.right);
      EXPECT_LE(text.cy, r.bottom);
    } else if ((style & BS_TYPEMASK) == BS_GROUPBOX) {
      EXPECT_LE(text.cx + scaled(16), r.right) << "room for the frame's corners either side";
    } else if ((style & BS_TYPEMASK) == BS_OWNERDRAW) {
      const bool logo = control == Control::ThunderDownloadButton || control == Control::FlashGetDownloadButton ||
                        control == Control::QqdlDownloadButton;
      EXPECT_LE(text.cx + (logo ? scaled(24) : 0), r.right);
      EXPECT_LE(text.cy, r.bottom);
    } else if (cls == L"Button") {
      EXPECT_LE(text.cx + 2 * GetSystemMetrics(SM_CXEDGE), r.right);
      EXPECT_LE(text.cy + 2 * GetSystemMetrics(SM_CYEDGE), r.bottom);
    }
  }
}

}  // namespace zelvorn::wintest
