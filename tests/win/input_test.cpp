// Zelvorn.exe under real X input, as a user drives it: mouse clicks and
// key presses from xdotool, the X clipboard through xclip; and the ways out
// of the program, each of which runs the exit callback once.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "Driver.h"
#include "links/Clipboard.h"
#include "links/Links.h"

namespace zelvorn {
namespace {

using namespace driver;

void ExpectCleanExit(const Program& program) {
  DWORD code = 1;
  ASSERT_TRUE(program.Exited(code)) << "the program did not end";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(Slurp(kAppDir + "/exit.log"), "OnProgramExit\n") << "the exit callback runs exactly once";
}

TEST(RealInput, TypedTextWithEnterIsConvertedByAMouseClick) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  HWND source = Child(main, kSourceBox);
  ASSERT_TRUE(X11::Click(source));
  ASSERT_TRUE(X11::Type("ftp://a/"));
  ASSERT_TRUE(X11::Key("Return"));
  ASSERT_TRUE(X11::Type("b c"));
  // Enter inserts a line break; it neither moves the focus nor presses a button.
  EXPECT_TRUE(WaitFor([&] { return AnsiTextOf(source) == "ftp://a/\r\nb c"; })) << AnsiTextOf(source);
  EXPECT_EQ(LengthOf(Child(main, kResultBox)), 0u);

  ASSERT_TRUE(X11::Click(Child(main, kToFlashGetButton)));
  NoWindow host;
  const std::string expected = EncodeLink(kFlashGetLink, "ftp://a/\r\nb c", host);
  EXPECT_TRUE(WaitFor([&] { return AnsiTextOf(Child(main, kResultBox)) == expected; }))
      << AnsiTextOf(Child(main, kResultBox));
}

TEST(RealInput, PasteAndCopyGoThroughTheXClipboard) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  // Another program's text (only UTF-8 on the X side): Wine offers it as
  // CF_TEXT in code page 936, which the paste takes up to its end.
  ASSERT_TRUE(X11::SetClipboard("http://例子.cn/文件.zip"));
  ASSERT_TRUE(X11::Click(Child(main, kPasteButton)));
  const std::string gbk = "http://\xC0\xFD\xD7\xD3.cn/\xCE\xC4\xBC\xFE.zip";
  EXPECT_TRUE(WaitFor([&] { return AnsiTextOf(Child(main, kSourceBox)) == gbk; })) << AnsiTextOf(Child(main, kSourceBox));

  SendMessageA(Child(main, kResultBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("qqdl://\xD6\xD0"));
  ASSERT_TRUE(X11::Click(Child(main, kCopyButton)));
  EXPECT_TRUE(WaitFor([&] { return X11::Clipboard() == "qqdl://中"; })) << X11::Clipboard();
}

TEST(RealInput, ImageButtonShowsItsTooltipWhileThePointerRests) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(X11::MoveTo(Child(main, kConversionGroup)));  // from elsewhere, in case it rests there already
  ASSERT_TRUE(X11::MoveTo(Child(main, kFlashGetDownloadButton)));
  // The tip's text comes from the tooltip control's WM_GETTEXT (a window
  // of another process gives GetWindowText only its own caption).
  std::wstring text;
  EXPECT_TRUE(WaitFor([&] {
    HWND tip = program.Find(L"tooltips_class32", true);
    wchar_t buffer[64] = {};
    if (tip) SendMessageW(tip, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer));
    return (text = buffer) == Wide("下载快车最新版本");
  })) << "tooltip: \"" << std::string(text.begin(), text.end()) << "\"";
  ASSERT_TRUE(X11::MoveTo(Child(main, kConversionGroup)));
}

// Flat at rest, a raised frame (light top left, dark bottom right) while
// the pointer is over it, a sunken one while it is pressed.
TEST(RealInput, ImageButtonFrameFollowsThePointer) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  HWND bar = Child(main, kForumBar);
  RECT r;
  GetWindowRect(bar, &r);
  const auto corners = [&] {
    return std::pair{X11::PixelAt(r.left, r.top), X11::PixelAt(r.right - 1, r.bottom - 1)};
  };
  const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 dark = GetSysColor(COLOR_BTNSHADOW);
  std::pair<COLORREF, COLORREF> seen;
  ASSERT_TRUE(X11::MoveTo(Child(main, kConversionGroup)));
  EXPECT_TRUE(WaitFor([&] { return (seen = corners()) == std::pair{face, face}; }, 5s))
      << std::hex << seen.first << " " << seen.second;
  ASSERT_TRUE(X11::MoveTo(bar));
  EXPECT_TRUE(WaitFor([&] { return (seen = corners()) == std::pair{light, dark}; }, 5s))
      << std::hex << seen.first << " " << seen.second;
  ASSERT_TRUE(X11::Xdotool("mousedown 1"));
  EXPECT_TRUE(WaitFor([&] { return (seen = corners()) == std::pair{dark, light}; }, 5s))
      << std::hex << seen.first << " " << seen.second;
  // Let go away from it: no click.
  ASSERT_TRUE(X11::MoveTo(Child(main, kConversionGroup)));
  ASSERT_TRUE(X11::Xdotool("mouseup 1"));
  EXPECT_TRUE(WaitFor([&] { return (seen = corners()) == std::pair{face, face}; }, 5s))
      << std::hex << seen.first << " " << seen.second;
}

// The banner plays its two frames, a second each, over and over.
TEST(RealInput, BannerAlternatesItsTwoFrames) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  RECT r;
  GetWindowRect(Child(main, kBanner), &r);
  std::vector<COLORREF> changes;  // the colour at one point, each time it changed
  std::vector<Clock::time_point> times;
  const auto end = Clock::now() + 4500ms;
  while (Clock::now() < end) {
    const COLORREF c = X11::PixelAt(r.left + 12, r.top + 40);
    if (changes.empty() || changes.back() != c) changes.push_back(c), times.push_back(Clock::now());
  }
  ASSERT_GE(changes.size(), 3u) << "the picture did not change twice in 4.5 s";
  EXPECT_NE(changes[0], changes[1]);
  for (std::size_t i = 2; i < changes.size(); ++i) {
    EXPECT_EQ(changes[i], changes[i - 2]) << "two frames only";
    const auto shown = std::chrono::duration_cast<std::chrono::milliseconds>(times[i] - times[i - 1]).count();
    EXPECT_TRUE(shown > 600 && shown < 1600) << "a frame shown for " << shown << " ms";
  }
}

// Esc closes the window from whichever control has the focus.
class EscKey : public ::testing::TestWithParam<int> {};

TEST_P(EscKey, ClosesTheWindowAndEndsTheProgram) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(X11::Click(Child(main, GetParam())));
  ASSERT_TRUE(X11::Key("Escape"));
  ExpectCleanExit(program);
}

INSTANTIATE_TEST_SUITE_P(FocusIn, EscKey, ::testing::Values(kSourceBox, kResultBox, kCopyButton),
                         [](const auto& param) {
                           return param.param == kSourceBox   ? std::string("SourceBox")
                                  : param.param == kResultBox ? std::string("ResultBox")
                                                            : std::string("CopyButton");
                         });

TEST(Closing, AltF4ClosesTheWindow) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(X11::Click(Child(main, kResultBox)));
  ASSERT_TRUE(X11::Key("alt+F4"));
  ExpectCleanExit(program);
}

// What the close box and the system menu's Close send.
TEST(Closing, CloseCommandClosesTheWindow) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectCleanExit(program);
}

// A click on another button while a long conversion runs is handled inside
// it and runs to its end first; the conversion that started first writes
// the result box last.
TEST(Nesting, AClickDuringALongConversionRunsInsideIt) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  std::string address = "http://host/";
  while (address.size() < (64u << 10)) address += std::string(74, 'x') + "\r\n";
  ASSERT_TRUE(SetClipboardText(address));
  PostMessageW(Child(main, kPasteButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return LengthOf(Child(main, kSourceBox)) == address.size(); }))
      << LengthOf(Child(main, kSourceBox)) << " of " << address.size() << " bytes pasted";

  PostMessageW(Child(main, kToQqdlButton), BM_CLICK, 0, 0);  // to qqdl://, the long one
  PostMessageW(Child(main, kToThunderButton), BM_CLICK, 0, 0);  // to thunder://, waiting behind it
  NoWindow host;
  const std::string qqdl = EncodeLink(kQqdlLink, address, host);
  const std::string thunder = EncodeLink(kThunderLink, address, host);
  ASSERT_NE(qqdl.size(), thunder.size());
  ASSERT_TRUE(WaitFor([&] { return LengthOf(Child(main, kResultBox)) == qqdl.size(); }, 30s))
      << LengthOf(Child(main, kResultBox)) << " bytes in the result box";
  // Had the clicks run one after the other, thunder:// would come last, and
  // before this copy.
  ASSERT_TRUE(SetClipboardText("-"));
  PostMessageW(Child(main, kCopyButton), BM_CLICK, 0, 0);
  Text copied;
  ASSERT_TRUE(WaitFor([&] { return (copied = GetClipboardText()) != "-"; }));
  EXPECT_EQ(copied.substr(0, 7), "qqdl://");
  EXPECT_TRUE(copied == qqdl) << "result of " << copied.size() << " bytes, expected " << qqdl.size();
}

}  // namespace
}  // namespace zelvorn
