// Drives the real Zelvorn.exe as a user would: finds its window and message
// boxes, reads and sets the controls' texts, clicks, presses Esc, and looks
// at the exit code, the exit callback's log, Explorer's command lines and
// what the version server was asked.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Driver.h"
#include "links/Clipboard.h"
#include "links/Links.h"

namespace zelvorn {
namespace {

using namespace driver;

const std::string kForum = ZELVORN_TEST_FORUM;

// Clicks a button and waits until the result box holds something new.
std::string Convert(HWND main, int button, const std::string& source) {
  SendMessageA(Child(main, kSourceBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(source.c_str()));
  SendMessageA(Child(main, kResultBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-"));
  PostMessageW(Child(main, button), BM_CLICK, 0, 0);
  std::string result = "-";
  WaitFor([&] { return (result = AnsiTextOf(Child(main, kResultBox))) != "-"; });
  return result;
}

TEST(ZelvornExe, WindowAndControlsStandWhereTheLayoutSays) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 460);
  EXPECT_EQ(r.bottom - r.top, 401);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 460) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 401) / 2);
  EXPECT_EQ(TextOf(main), Wide("迅雷&快车&旋风&地址Zelvorn V1.3"));
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));

  struct Expected {
    int index;
    const wchar_t* cls;
    int container;  // -1: the window
    int left, top, width, height;
    const char* text;
  };
  const Expected controls[] = {
      {kBanner, L"ZelvornBanner", -1, -3, 0, 460, 80, ""},
      {kSourceGroup, L"Button", -1, 8, 88, 264, 100, "转换前地址"},
      {kSourceBox, L"Edit", kSourceGroup, 7, 17, 200, 72, ""},
      {kPasteButton, L"Button", kSourceGroup, 220, 18, 32, 72, "粘\r\n贴"},
      {kResultGroup, L"Button", -1, 8, 200, 264, 100, "转换后地址"},
      {kResultBox, L"Edit", kResultGroup, 7, 16, 200, 72, ""},
      {kCopyButton, L"Button", kResultGroup, 220, 18, 32, 72, "复\r\n制"},
      {kConversionGroup, L"Button", -1, 280, 88, 168, 216, "地址转换"},
      {kToThunderButton, L"Button", kConversionGroup, 8, 16, 152, 24, "普通地址 -> 迅雷地址"},
      {kFromThunderButton, L"Button", kConversionGroup, 8, 49, 152, 24, "迅雷地址 -> 普通地址"},
      {kToFlashGetButton, L"Button", kConversionGroup, 8, 82, 152, 24, "普通地址 -> 快车地址"},
      {kFromFlashGetButton, L"Button", kConversionGroup, 8, 115, 152, 24, "快车地址 -> 普通地址"},
      {kToQqdlButton, L"Button", kConversionGroup, 8, 148, 152, 24, "普通地址 -> 旋风地址"},
      {kFromQqdlButton, L"Button", kConversionGroup, 8, 183, 152, 24, "旋风地址 -> 普通地址"},
      {kThunderDownloadButton, L"Button", -1, 8, 310, 80, 24, "迅雷下载"},
      {kFlashGetDownloadButton, L"Button", -1, 102, 310, 80, 24, "快车下载"},
      {kQqdlDownloadButton, L"Button", -1, 190, 310, 80, 24, "旋风下载"},
      {kVersionGroup, L"Button", -1, 280, 304, 168, 34, ""},
      {kVersionCaption, L"Static", kVersionGroup, 8, 13, 64, 16, "最新版本："},
      {kVersionLabel, L"Static", kVersionGroup, 70, 13, 90, 16, "已是最新版本"},
      {kForumBar, L"Button", -1, 2, 342, 450, 24, nullptr},
  };
  for (const Expected& e : controls) {
    HWND hwnd = Child(main, e.index);
    ASSERT_NE(hwnd, nullptr) << e.index;
    EXPECT_EQ(ClassOf(hwnd), e.cls) << e.index;
    HWND container = e.container < 0 ? main : Child(main, e.container);
    EXPECT_EQ(GetParent(hwnd), container) << e.index;
    RECT c;
    GetWindowRect(hwnd, &c);
    MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&c), 2);
    EXPECT_EQ(c.left, e.left) << e.index;
    EXPECT_EQ(c.top, e.top) << e.index;
    EXPECT_EQ(c.right - c.left, e.width) << e.index;
    EXPECT_EQ(c.bottom - c.top, e.height) << e.index;
    if (e.text) {
      EXPECT_EQ(TextOf(hwnd), Wide(e.text)) << e.index;
    }
  }
  for (int edit : {kSourceBox, kResultBox}) {
    const LONG s = GetWindowLongW(Child(main, edit), GWL_STYLE);
    EXPECT_EQ(s & (ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN), ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN);
    EXPECT_FALSE(s & (ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | ES_READONLY | ES_PASSWORD | ES_NOHIDESEL));
    EXPECT_TRUE(GetWindowLongW(Child(main, edit), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  }
  for (int button = kPasteButton; button <= kFromQqdlButton; ++button) {
    if (button == kResultGroup || button == kResultBox || button == kConversionGroup) continue;
    const LONG s = GetWindowLongW(Child(main, button), GWL_STYLE);
    EXPECT_TRUE(s & BS_MULTILINE) << button;
    EXPECT_NE(s & BS_TYPEMASK, BS_DEFPUSHBUTTON) << button;
  }
}

TEST(ZelvornExe, EachButtonConvertsTheSourceBox) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  NoWindow host;
  const std::string chinese = "http://\xC0\xFD\xD7\xD3.cn/\xCE\xC4\xBC\xFE.zip";  // 例子 文件 in code page 936
  const std::string longAddress = "http://host/" + std::string(150, 'a') + "\r\n" + std::string(50, 'b');
  struct Case {
    int button;
    std::string source, result;
  } cases[] = {
      {kToThunderButton, "ftp://a/", "thunder://QUFmdHA6Ly9hL1pa"},
      {kFromThunderButton, "thunder://QUFmdHA6Ly9hL1pa", "ftp://a/"},
      {kToFlashGetButton, "ftp://a/bc", "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd"},
      {kFromFlashGetButton, "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd&1926", "ftp://a/bc"},
      {kToQqdlButton, chinese, EncodeLink(kQqdlLink, chinese, host)},
      {kFromQqdlButton, EncodeLink(kQqdlLink, chinese, host), chinese},
      {kToFlashGetButton, longAddress, EncodeLink(kFlashGetLink, longAddress, host)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(main, c.button, c.source), c.result) << c.source;
    EXPECT_EQ(AnsiTextOf(Child(main, kSourceBox)), c.source);
  }
}

TEST(ZelvornExe, WrongFormShowsTheErrorBoxAndKeepsBothBoxes) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  SendMessageA(Child(main, kSourceBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("HTTP://a"));
  SendMessageA(Child(main, kResultBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("before"));
  PostMessageW(Child(main, kToThunderButton), BM_CLICK, 0, 0);
  HWND box = program.MessageBox();
  ASSERT_NE(box, nullptr);
  const Box b = ReadBox(box);
  EXPECT_EQ(b.title, Wide("错误"));
  EXPECT_EQ(b.text, Wide("格式错误！请输入正确的地址！"));
  EXPECT_EQ(b.buttons.size(), 1u);
  EXPECT_FALSE(IsWindowEnabled(main)) << "the box is task-modal";
  Press(box, IDOK);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  EXPECT_EQ(AnsiTextOf(Child(main, kSourceBox)), "HTTP://a");
  EXPECT_EQ(AnsiTextOf(Child(main, kResultBox)), "before");
}

TEST(ZelvornExe, PasteAndCopyGoThroughTheClipboard) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  const std::string text = "http://a/\r\n\xD6\xD0 b";
  ASSERT_TRUE(SetClipboardText(text));
  PostMessageW(Child(main, kPasteButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return AnsiTextOf(Child(main, kSourceBox)) == text; }));

  SendMessageA(Child(main, kResultBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("qqdl://YQ==\r\nx"));
  PostMessageW(Child(main, kCopyButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return GetClipboardText() == "qqdl://YQ==\r\nx"; }));
}

TEST(ZelvornExe, EscClosesFromAnEditBoxAndTheExitCallbackRunsOnce) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  PostMessageW(Child(main, kSourceBox), WM_KEYDOWN, VK_ESCAPE, 0);
  DWORD code = 1;
  ASSERT_TRUE(program.Exited(code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(Slurp(kAppDir + "/exit.log"), "OnProgramExit\n");
}

}  // namespace
}  // namespace zelvorn
