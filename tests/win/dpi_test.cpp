// Zelvorn.exe on a screen of more than 96 DPI: run by CTest with
// ZELVORN_TEST_DPI set, in a Wine prefix of its own whose screen has that
// DPI. The window and everything in it grow by the screen's DPI over 96,
// and no caption is cut. A screenshot of the window is left in the build
// folder for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Layout.h"
#include "WindowTest.h"

namespace zelvorn {
namespace {

using namespace wintest;
using enum Control;

int PrefixDpi() {
  const char* dpi = std::getenv("ZELVORN_TEST_DPI");
  return dpi ? std::atoi(dpi) : 96;
}

class HighDpi : public WindowTest {
 protected:
  void SetUp() override {
    dpi_ = ScreenDpi();  // and from now on this test sees the screen's real pixels
    ASSERT_EQ(dpi_, PrefixDpi()) << "the Wine prefix's LogPixels";
    WindowTest::SetUp();
  }
  int Scaled(int length) const { return length * dpi_ / 96; }

  // What the system tells a window that has moved to a screen of the DPI,
  // with the place it suggests.
  void MoveToScreenOf(int dpi) const {
    RECT r;
    GetWindowRect(main_, &r);
    r.right = r.left + 460 * dpi / 96, r.bottom = r.top + 401 * dpi / 96;
    SendMessageW(main_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  }

  int dpi_ = 96;
};

TEST_F(HighDpi, WindowIsCentredAtItsSizeTimesTheDpi) {
  RECT r;
  GetWindowRect(main_, &r);
  EXPECT_EQ(r.right - r.left, Scaled(460));  // 690 at 144 DPI
  EXPECT_EQ(r.bottom - r.top, Scaled(401));  // 601
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - Scaled(460)) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - Scaled(401)) / 2);
  SetTextOf(Of(SourceBox), "http://\xC0\xFD\xD7\xD3.cn/\xCE\xC4\xBC\xFE.zip");
  SetTextOf(Of(ResultBox), "qqdl://aHR0cDovL8D919MuY24vzsS8/i56aXA=");
  std::this_thread::sleep_for(1s);  // until everything has been drawn
  const std::string png = X11::UnixPath(kAppDir) + "/../window-" + std::to_string(dpi_) + "dpi.png";
  EXPECT_TRUE(X11::Screenshot(r, png));
  std::printf("[  picture ] %s\n", png.c_str());
}

TEST_F(HighDpi, EveryCaptionIsWhole) { ExpectEveryCaptionWhole(main_, dpi_); }

// The boxes write in the GUI font of the screen's DPI: the second line of
// a box begins one line's height of that font below the first.
TEST_F(HighDpi, BoxesWriteInTheFontOfTheScreen) {
  const CaptionFonts fonts(dpi_);
  const int line = fonts.Extent(fonts.Gui(), L"x").cy;
  for (Control box : {SourceBox, ResultBox}) {
    SetTextOf(Of(box), "a\r\nb");
    const auto first = SendMessageW(Of(box), EM_POSFROMCHAR, 0, 0);
    const auto second = SendMessageW(Of(box), EM_POSFROMCHAR, 3, 0);
    EXPECT_EQ(HIWORD(second) - HIWORD(first), line) << static_cast<int>(box);
  }
}

// Every control's place and size at this DPI is its place and size at 96
// DPI times the DPI over 96, read from the window itself after it is told
// that it has moved to a screen of 96 DPI; told again, it is back as it was.
TEST_F(HighDpi, MovedToAScreenOfAnotherDpiTheWindowIsLaidOutAgain) {
  const Layout here = ReadLayout(main_);
  MoveToScreenOf(96);
  const Layout design = ReadLayout(main_);
  EXPECT_EQ(design.window.cx, 460);
  EXPECT_EQ(design.window.cy, 401);
  EXPECT_EQ(here.window.cx, Scaled(design.window.cx));
  EXPECT_EQ(here.window.cy, Scaled(design.window.cy));
  for (int i = 0; i < kControlCount; ++i) {
    SCOPED_TRACE(i);
    const RECT& d = design.controls[static_cast<std::size_t>(i)];
    const RECT& h = here.controls[static_cast<std::size_t>(i)];
    EXPECT_EQ(h.left, Scaled(d.left));
    EXPECT_EQ(h.top, Scaled(d.top));
    EXPECT_EQ(h.right - h.left, Scaled(d.right - d.left));
    EXPECT_EQ(h.bottom - h.top, Scaled(d.bottom - d.top));
  }
  MoveToScreenOf(dpi_);
  const Layout back = ReadLayout(main_);
  EXPECT_EQ(back.window.cx, here.window.cx);
  EXPECT_EQ(back.window.cy, here.window.cy);
  for (int i = 0; i < kControlCount; ++i)
    EXPECT_TRUE(EqualRect(&back.controls[static_cast<std::size_t>(i)], &here.controls[static_cast<std::size_t>(i)]))
        << i;
}

}  // namespace
}  // namespace zelvorn
