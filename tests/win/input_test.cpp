// Zelvorn.exe under real X input, as a user drives it: mouse clicks and
// key presses from xdotool, the X clipboard through xclip; and the ways out
// of the program, each of which runs the exit callback once.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Version.h"
#include "WindowTest.h"
#include "links/Clipboard.h"

namespace zelvorn {
namespace {

using namespace wintest;
using enum Control;

using RealInput = WindowTest;

TEST_F(RealInput, TypedTextWithEnterIsConvertedByAMouseClick) {
  HWND source = Of(SourceBox);
  ASSERT_TRUE(X11::Click(source));
  ASSERT_TRUE(X11::Type("ftp://a/"));
  ASSERT_TRUE(X11::Key("Return"));
  ASSERT_TRUE(X11::Type("b c"));
  // Enter inserts a line break; it neither moves the focus nor presses a button.
  EXPECT_TRUE(WaitFor([&] { return TextOf(source) == "ftp://a/\r\nb c"; })) << TextOf(source);
  EXPECT_EQ(LengthOf(Of(ResultBox)), 0u);

  ASSERT_TRUE(X11::Click(Of(ToFlashGetButton)));
  const std::string expected = FlashGetLinkOf("ftp://a/\r\nb c");
  EXPECT_TRUE(WaitFor([&] { return TextOf(Of(ResultBox)) == expected; })) << TextOf(Of(ResultBox));
}

TEST_F(RealInput, PasteAndCopyGoThroughTheXClipboard) {
  // Another program's text (only UTF-8 on the X side): Wine offers it as
  // CF_TEXT in code page 936, which the paste takes up to its end.
  ASSERT_TRUE(X11::SetClipboard("http://例子.cn/文件.zip"));
  ASSERT_TRUE(X11::Click(Of(PasteButton)));
  const std::string gbk = "http://\xC0\xFD\xD7\xD3.cn/\xCE\xC4\xBC\xFE.zip";
  EXPECT_TRUE(WaitFor([&] { return TextOf(Of(SourceBox)) == gbk; })) << TextOf(Of(SourceBox));

  SetTextOf(Of(ResultBox), "qqdl://\xD6\xD0");
  ASSERT_TRUE(X11::Click(Of(CopyButton)));
  EXPECT_TRUE(WaitFor([&] { return X11::Clipboard() == "qqdl://中"; })) << X11::Clipboard();
}

TEST_F(RealInput, ImageButtonShowsItsTooltipWhileThePointerRests) {
  ASSERT_TRUE(X11::MoveTo(Of(ConversionGroup)));  // from elsewhere, in case it rests there already
  ASSERT_TRUE(X11::MoveTo(Of(FlashGetDownloadButton)));
  // The tip's text comes from the tooltip control's WM_GETTEXT (a window
  // of another process gives GetWindowText only its own caption).
  std::wstring text;
  EXPECT_TRUE(WaitFor([&] {
    HWND tip = program_->Find(L"tooltips_class32");
    wchar_t buffer[64] = {};
    if (tip) SendMessageW(tip, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer));
    return (text = buffer) == Wide("下载快车最新版本");
  })) << "tooltip: \"" << Utf8(text) << "\"";
  ASSERT_TRUE(X11::MoveTo(Of(ConversionGroup)));
}

// Flat at rest, a raised frame (light top left, dark bottom right) while
// the pointer is over it, a sunken one while it is pressed.
TEST_F(RealInput, ImageButtonFrameFollowsThePointer) {
  HWND bar = Of(ForumBar);
  RECT r;
  GetWindowRect(bar, &r);
  const auto corners = [&] {
    return std::pair{X11::PixelAt(r.left, r.top), X11::PixelAt(r.right - 1, r.bottom - 1)};
  };
  const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 dark = GetSysColor(COLOR_BTNSHADOW);
  std::pair<COLORREF, COLORREF> seen;
  ASSERT_TRUE(X11::MoveTo(Of(ConversionGroup)));
  EXPECT_TRUE(WaitFor([&] { return (seen = corners()) == std::pair{face, face}; }, 5s))
      << std::hex << seen.first << " " << seen.second;
  ASSERT_TRUE(X11::MoveTo(bar));
  EXPECT_TRUE(WaitFor([&] { return (seen = corners()) == std::pair{light, dark}; }, 5s))
      << std::hex << seen.first << " " << seen.second;
  ASSERT_TRUE(X11::Xdotool("mousedown 1"));
  EXPECT_TRUE(WaitFor([&] { return (seen = corners()) == std::pair{dark, light}; }, 5s))
      << std::hex << seen.first << " " << seen.second;
  // Let go away from it: no click.
  ASSERT_TRUE(X11::MoveTo(Of(ConversionGroup)));
  ASSERT_TRUE(X11::Xdotool("mouseup 1"));
  EXPECT_TRUE(WaitFor([&] { return (seen = corners()) == std::pair{face, face}; }, 5s))
      << std::hex << seen.first << " " << seen.second;
}

// The banner plays its two frames, a second each, over and over: in a
// watch of 4.5 s the picture changes at least three times (it goes on
// after the second frame), between its two frames only, and no more often
// than a frame's second allows. A colour seen for less than a tenth of a
// frame is a repaint caught half done, not a frame.
TEST_F(RealInput, BannerAlternatesItsTwoFrames) {
  RECT r;
  GetWindowRect(Of(Banner), &r);
  constexpr auto kWatch = 4500ms;
  constexpr auto kFrame = 1000ms;
  struct Run {
    COLORREF colour;
    Clock::time_point since;
  };
  std::vector<Run> runs;  // the colour at one point, each time it changed
  const auto end = Clock::now() + kWatch;
  for (auto now = Clock::now(); now < end; now = Clock::now()) {
    const COLORREF c = X11::PixelAt(r.left + 12, r.top + 40);
    if (runs.empty() || runs.back().colour != c) runs.push_back({c, now});
  }
  std::vector<COLORREF> shown;  // the frames: colours that stayed
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto until = i + 1 < runs.size() ? runs[i + 1].since : end;
    if (until - runs[i].since < kFrame / 10) continue;
    if (shown.empty() || shown.back() != runs[i].colour) shown.push_back(runs[i].colour);
  }
  ASSERT_GE(shown.size(), 4u) << "the picture did not change three times";
  EXPECT_NE(shown[0], shown[1]);
  for (std::size_t i = 2; i < shown.size(); ++i) EXPECT_EQ(shown[i], shown[i - 2]) << "two frames only";
  EXPECT_LE(shown.size() - 1, static_cast<std::size_t>(kWatch / kFrame) + 1) << "frames shown too briefly";
}

// Esc closes the window from whichever control has the focus.
class EscKey : public RealInput, public ::testing::WithParamInterface<Control> {};

TEST_P(EscKey, ClosesTheWindowAndEndsTheProgram) {
  ASSERT_TRUE(X11::Click(Of(GetParam())));
  ASSERT_TRUE(X11::Key("Escape"));
  ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(FocusIn, EscKey, ::testing::Values(SourceBox, ResultBox, CopyButton),
                         [](const auto& param) {
                           return param.param == SourceBox   ? std::string("SourceBox")
                                  : param.param == ResultBox ? std::string("ResultBox")
                                                             : std::string("CopyButton");
                         });

using Closing = RealInput;

TEST_F(Closing, AltF4ClosesTheWindow) {
  ASSERT_TRUE(X11::Click(Of(ResultBox)));
  ASSERT_TRUE(X11::Key("alt+F4"));
  ExpectCleanExit();
}

// What the close box and the system menu's Close send.
TEST_F(Closing, CloseCommandClosesTheWindow) {
  PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectCleanExit();
}

// A long address, in lines as long links carry them (one unbroken line
// would take the edit box minutes to wrap), brought in by the paste button.
std::string PasteLongAddress(HWND main, std::size_t size) {
  std::string address = "http://host/";
  while (address.size() < size) address += std::string(74, static_cast<char>('a' + address.size() % 26)) + "\r\n";
  EXPECT_TRUE(SetClipboardText(address));
  Click(Child(main, PasteButton));
  EXPECT_TRUE(WaitFor([&] { return LengthOf(Child(main, SourceBox)) == address.size(); }, 30s))
      << LengthOf(Child(main, SourceBox)) << " of " << address.size() << " bytes pasted";
  return address;
}

using Nesting = RealInput;

// A click on another button while a long conversion runs is handled inside
// it and runs to its end first; the conversion that started first writes
// the result box last.
TEST_F(Nesting, AClickDuringALongConversionRunsInsideIt) {
  const std::string address = PasteLongAddress(main_, 64u << 10);
  Click(Of(ToQqdlButton));      // to qqdl://, the long one
  Click(Of(ToThunderButton));   // to thunder://, waiting behind it
  const std::string qqdl = QqdlLinkOf(address);
  const std::string thunder = ThunderLinkOf(address);
  ASSERT_NE(qqdl.size(), thunder.size());
  ASSERT_TRUE(WaitFor([&] { return LengthOf(Of(ResultBox)) == qqdl.size(); }, 30s))
      << LengthOf(Of(ResultBox)) << " bytes in the result box";
  // Had the clicks run one after the other, thunder:// would come last, and
  // before this copy.
  ASSERT_TRUE(SetClipboardText("-"));
  ASSERT_TRUE(ClickAndAwaitCopy(Of(CopyButton)));
  Text copied;
  ASSERT_TRUE(WaitFor([&] { return (copied = GetClipboardText()) != "-"; }));
  EXPECT_EQ(copied.substr(0, 7), "qqdl://");
  EXPECT_TRUE(copied == qqdl) << "result of " << copied.size() << " bytes, expected " << qqdl.size();
}

}  // namespace
}  // namespace zelvorn
