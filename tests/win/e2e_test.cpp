// Drives the real Zelvorn.exe as a user would: finds its window and message
// boxes, reads and sets the controls' texts, clicks, presses Esc, and looks
// at the exit code and the exit callback's log.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Version.h"
#include "WindowTest.h"
#include "links/Clipboard.h"

namespace zelvorn {
namespace {

using namespace wintest;
using enum Control;

class ZelvornExe : public WindowTest {
 protected:
  // Clicks a conversion button and waits until the result box holds
  // something new.
  std::string Convert(Control button, const std::string& source) const {
    SetTextOf(Of(SourceBox), source);
    SetTextOf(Of(ResultBox), "-");
    Click(Of(button));
    std::string result = "-";
    WaitFor([&] { return (result = TextOf(Of(ResultBox))) != "-"; });
    return result;
  }
};

TEST_F(ZelvornExe, OpensCentredWithTheVersionInItsTitle) {
  RECT r;
  GetWindowRect(main_, &r);
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpi, 96) << "these tests run at 96 DPI; dpi_tests run at others";
  EXPECT_EQ(r.right - r.left, 460);
  EXPECT_EQ(r.bottom - r.top, 401);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 460) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 401) / 2);
  EXPECT_EQ(CaptionOf(main_), Wide(std::string("迅雷&快车&旋风&地址Zelvorn ") + kVersionText));
  const LONG style = GetWindowLongW(main_, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) << "the user cannot resize the window";
}

TEST(ZelvornExeFile, CarriesTheVersionInItsVersionResource) {
  const std::string exe = kAppDir + "\\Zelvorn.exe";
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  const auto value = [&](const char* name) {
    char* text = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\080404b0\\") + name;
    return VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && text
               ? std::string(text)
               : std::string("<none>");
  };
  EXPECT_EQ(value("ProductVersion"), kVersionText);
  EXPECT_EQ(value("FileVersion"), kVersionNumber);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
  const std::string numbers =
      std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS));
  EXPECT_EQ(std::string(kVersionNumber).rfind(numbers, 0), 0u) << numbers;
}

TEST_F(ZelvornExe, ControlsSitInTheirGroupsWithTheirCaptions) {
  struct Expected {
    Control control;
    const wchar_t* cls;
    std::optional<Control> inside;
    const char* caption;  // none: not looked at
  };
  const Expected controls[] = {
      {Banner, L"ZelvornBanner", {}, ""},
      {SourceGroup, L"Button", {}, "转换前地址"},
      {SourceBox, L"Edit", SourceGroup, nullptr},
      {PasteButton, L"Button", SourceGroup, "粘\r\n贴"},
      {ResultGroup, L"Button", {}, "转换后地址"},
      {ResultBox, L"Edit", ResultGroup, nullptr},
      {CopyButton, L"Button", ResultGroup, "复\r\n制"},
      {ConversionGroup, L"Button", {}, "地址转换"},
      {ToThunderButton, L"Button", ConversionGroup, "普通地址 -> 迅雷地址"},
      {FromThunderButton, L"Button", ConversionGroup, "迅雷地址 -> 普通地址"},
      {ToFlashGetButton, L"Button", ConversionGroup, "普通地址 -> 快车地址"},
      {FromFlashGetButton, L"Button", ConversionGroup, "快车地址 -> 普通地址"},
      {ToQqdlButton, L"Button", ConversionGroup, "普通地址 -> 旋风地址"},
      {FromQqdlButton, L"Button", ConversionGroup, "旋风地址 -> 普通地址"},
      {ThunderDownloadButton, L"Button", {}, "迅雷下载"},
      {FlashGetDownloadButton, L"Button", {}, "快车下载"},
      {QqdlDownloadButton, L"Button", {}, "旋风下载"},
      {VersionGroup, L"Button", {}, ""},
      {VersionCaption, L"Static", VersionGroup, "最新版本："},
      {VersionLabel, L"Static", VersionGroup, "已是最新版本"},
      {ForumBar, L"Button", {}, nullptr},
  };
  for (const Expected& e : controls) {
    SCOPED_TRACE(static_cast<int>(e.control));
    HWND hwnd = Of(e.control);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(ClassOf(hwnd), e.cls);
    EXPECT_EQ(GetParent(hwnd), e.inside ? Of(*e.inside) : main_);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    if (e.caption) {
      EXPECT_EQ(CaptionOf(hwnd), Wide(e.caption));
    }
  }
  for (Control edit : {SourceBox, ResultBox}) {
    const LONG s = GetWindowLongW(Of(edit), GWL_STYLE);
    EXPECT_EQ(s & (ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN), ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN);
    EXPECT_FALSE(s & (ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | ES_READONLY | ES_PASSWORD | ES_NOHIDESEL));
    EXPECT_TRUE(GetWindowLongW(Of(edit), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  }
  for (Control button : {PasteButton, CopyButton, ToThunderButton, FromThunderButton, ToFlashGetButton,
                         FromFlashGetButton, ToQqdlButton, FromQqdlButton}) {
    const LONG s = GetWindowLongW(Of(button), GWL_STYLE);
    EXPECT_TRUE(s & BS_MULTILINE) << static_cast<int>(button);
    EXPECT_EQ(s & BS_TYPEMASK, BS_PUSHBUTTON) << "none is the default button";
  }
}

// Every control lies inside its container, where it can be seen, and none
// covers another. By design the banner runs 3 pixels past either side of
// the window, and the version label's first 2 pixels lie over its caption
// label's end (where that caption draws nothing).
TEST_F(ZelvornExe, ControlsLieInsideTheirContainersWithoutOverlapping) {
  std::vector<std::pair<HWND, RECT>> placed;
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    SCOPED_TRACE(i);
    HWND hwnd = Of(control);
    ASSERT_NE(hwnd, nullptr);
    HWND container = GetParent(hwnd);
    RECT client, r = RectIn(hwnd, container);
    GetClientRect(container, &client);
    const int beyond = control == Banner ? 3 : 0;
    EXPECT_GE(r.left, -beyond);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, client.right + beyond);
    EXPECT_LE(r.bottom, client.bottom);
    for (const auto& [other, o] : placed) {
      RECT overlap;
      if (GetParent(other) != container || !IntersectRect(&overlap, &r, &o)) continue;
      const bool labels = control == VersionLabel && other == Of(VersionCaption);
      EXPECT_TRUE(labels && overlap.right - overlap.left <= 2) << "covers " << GetDlgCtrlID(other);
    }
    placed.emplace_back(hwnd, r);
  }
}

TEST_F(ZelvornExe, EachButtonConvertsTheSourceBox) {
  const std::string chinese = "http://\xC0\xFD\xD7\xD3.cn/\xCE\xC4\xBC\xFE.zip";  // 例子 文件 in code page 936
  const std::string longAddress = "http://host/" + std::string(150, 'a') + "\r\n" + std::string(50, 'b');
  struct Case {
    Control button;
    std::string source, result;
  } cases[] = {
      {ToThunderButton, "ftp://a/", "thunder://QUFmdHA6Ly9hL1pa"},
      {FromThunderButton, "thunder://QUFmdHA6Ly9hL1pa", "ftp://a/"},
      {ToFlashGetButton, "ftp://a/bc", "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd"},
      {FromFlashGetButton, "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd&1926", "ftp://a/bc"},
      {ToQqdlButton, chinese, "qqdl://aHR0cDovL8D919MuY24vzsS8/i56aXA="},
      {FromQqdlButton, "qqdl://aHR0cDovL8D919MuY24vzsS8/i56aXA=", chinese},
      {ToFlashGetButton, longAddress, FlashGetLinkOf(longAddress)},
      {FromFlashGetButton, FlashGetLinkOf(longAddress), longAddress},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(c.button, c.source), c.result) << c.source;
    EXPECT_EQ(TextOf(Of(SourceBox)), c.source) << "a conversion leaves the source box alone";
  }
}

TEST_F(ZelvornExe, WrongFormShowsTheErrorBoxAndKeepsBothBoxes) {
  SetTextOf(Of(SourceBox), "HTTP://a");
  SetTextOf(Of(ResultBox), "before");
  Click(Of(ToThunderButton));
  HWND box = program_->Box();
  ASSERT_NE(box, nullptr);
  const Box b = ReadBox(box);
  EXPECT_EQ(b.title, Wide("错误"));
  EXPECT_EQ(b.text, Wide("格式错误！请输入正确的地址！"));
  EXPECT_EQ(b.buttons, std::set<int>{IDOK});
  EXPECT_FALSE(IsWindowEnabled(main_)) << "the box is task-modal";
  Press(box, IDOK);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  EXPECT_EQ(TextOf(Of(SourceBox)), "HTTP://a");
  EXPECT_EQ(TextOf(Of(ResultBox)), "before");
}

TEST_F(ZelvornExe, PasteAndCopyGoThroughTheClipboard) {
  const std::string text = "http://a/\r\n\xD6\xD0 b";  // 中 in code page 936
  ASSERT_TRUE(SetClipboardText("http://a/\r\n中 b"));
  Click(Of(PasteButton));
  EXPECT_TRUE(WaitFor([&] { return TextOf(Of(SourceBox)) == text; }));

  SetTextOf(Of(ResultBox), "qqdl://YQ==\r\nx");
  ASSERT_TRUE(ClickAndAwaitCopy(Of(CopyButton)));
  EXPECT_TRUE(WaitFor([&] { return GetClipboardText() == "qqdl://YQ==\r\nx"; }));
}

TEST_F(ZelvornExe, EscClosesFromAnEditBoxAndTheExitCallbackRunsOnce) {
  PostMessageW(Of(SourceBox), WM_KEYDOWN, VK_ESCAPE, 0);
  ExpectCleanExit();
}

}  // namespace
}  // namespace zelvorn
