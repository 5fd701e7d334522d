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
  SendMessageA(Child(main, k编辑框1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(source.c_str()));
  SendMessageA(Child(main, k编辑框2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-"));
  PostMessageW(Child(main, button), BM_CLICK, 0, 0);
  std::string result = "-";
  WaitFor([&] { return (result = AnsiTextOf(Child(main, k编辑框2))) != "-"; });
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
      {k图片框1, L"ZelvornBanner", -1, -3, 0, 460, 80, ""},
      {k分组框1, L"Button", -1, 8, 88, 264, 100, "转换前地址"},
      {k编辑框1, L"Edit", k分组框1, 7, 17, 200, 72, ""},
      {k按钮1, L"Button", k分组框1, 220, 18, 32, 72, "粘\r\n贴"},
      {k分组框2, L"Button", -1, 8, 200, 264, 100, "转换后地址"},
      {k编辑框2, L"Edit", k分组框2, 7, 16, 200, 72, ""},
      {k按钮2, L"Button", k分组框2, 220, 18, 32, 72, "复\r\n制"},
      {k分组框3, L"Button", -1, 280, 88, 168, 216, "地址转换"},
      {k按钮3, L"Button", k分组框3, 8, 16, 152, 24, "普通地址 -> 迅雷地址"},
      {k按钮4, L"Button", k分组框3, 8, 49, 152, 24, "迅雷地址 -> 普通地址"},
      {k按钮5, L"Button", k分组框3, 8, 82, 152, 24, "普通地址 -> 快车地址"},
      {k按钮6, L"Button", k分组框3, 8, 115, 152, 24, "快车地址 -> 普通地址"},
      {k按钮7, L"Button", k分组框3, 8, 148, 152, 24, "普通地址 -> 旋风地址"},
      {k按钮8, L"Button", k分组框3, 8, 183, 152, 24, "旋风地址 -> 普通地址"},
      {k超级按钮, L"Button", -1, 8, 310, 80, 24, "迅雷下载"},
      {k超级按钮1, L"Button", -1, 102, 310, 80, 24, "快车下载"},
      {k超级按钮2, L"Button", -1, 190, 310, 80, 24, "旋风下载"},
      {k分组框4, L"Button", -1, 280, 304, 168, 34, ""},
      {k标签2, L"Static", k分组框4, 8, 13, 64, 16, "最新版本："},
      {k标签1, L"Static", k分组框4, 70, 13, 90, 16, "已是最新版本"},
      {k超级按钮3, L"Button", -1, 2, 342, 450, 24, nullptr},
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
  for (int edit : {k编辑框1, k编辑框2}) {
    const LONG s = GetWindowLongW(Child(main, edit), GWL_STYLE);
    EXPECT_EQ(s & (ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN), ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN);
    EXPECT_FALSE(s & (ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | ES_READONLY | ES_PASSWORD | ES_NOHIDESEL));
    EXPECT_TRUE(GetWindowLongW(Child(main, edit), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  }
  for (int button = k按钮1; button <= k按钮8; ++button) {
    if (button == k分组框2 || button == k编辑框2 || button == k分组框3) continue;
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
      {k按钮3, "ftp://a/", "thunder://QUFmdHA6Ly9hL1pa"},
      {k按钮4, "thunder://QUFmdHA6Ly9hL1pa", "ftp://a/"},
      {k按钮5, "ftp://a/bc", "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd"},
      {k按钮6, "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd&1926", "ftp://a/bc"},
      {k按钮7, chinese, EncodeLink(kQqdlLink, chinese, host)},
      {k按钮8, EncodeLink(kQqdlLink, chinese, host), chinese},
      {k按钮5, longAddress, EncodeLink(kFlashGetLink, longAddress, host)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(main, c.button, c.source), c.result) << c.source;
    EXPECT_EQ(AnsiTextOf(Child(main, k编辑框1)), c.source);
  }
}

TEST(ZelvornExe, WrongFormShowsTheErrorBoxAndKeepsBothBoxes) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  SendMessageA(Child(main, k编辑框1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("HTTP://a"));
  SendMessageA(Child(main, k编辑框2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("before"));
  PostMessageW(Child(main, k按钮3), BM_CLICK, 0, 0);
  HWND box = program.MessageBox();
  ASSERT_NE(box, nullptr);
  const Box b = ReadBox(box);
  EXPECT_EQ(b.title, Wide("错误"));
  EXPECT_EQ(b.text, Wide("格式错误！请输入正确的地址！"));
  EXPECT_EQ(b.buttons.size(), 1u);
  EXPECT_FALSE(IsWindowEnabled(main)) << "the box is task-modal";
  Press(box, IDOK);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  EXPECT_EQ(AnsiTextOf(Child(main, k编辑框1)), "HTTP://a");
  EXPECT_EQ(AnsiTextOf(Child(main, k编辑框2)), "before");
}

TEST(ZelvornExe, PasteAndCopyGoThroughTheClipboard) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  const std::string text = "http://a/\r\n\xD6\xD0 b";
  ASSERT_TRUE(SetClipboardText(text));
  PostMessageW(Child(main, k按钮1), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return AnsiTextOf(Child(main, k编辑框1)) == text; }));

  SendMessageA(Child(main, k编辑框2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("qqdl://YQ==\r\nx"));
  PostMessageW(Child(main, k按钮2), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return GetClipboardText() == "qqdl://YQ==\r\nx"; }));
}

TEST(ZelvornExe, EscClosesFromAnEditBoxAndTheExitCallbackRunsOnce) {
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  PostMessageW(Child(main, k编辑框1), WM_KEYDOWN, VK_ESCAPE, 0);
  DWORD code = 1;
  ASSERT_TRUE(program.Exited(code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(Slurp(kAppDir + "/exit.log"), "OnProgramExit\n");
}

}  // namespace
}  // namespace zelvorn
