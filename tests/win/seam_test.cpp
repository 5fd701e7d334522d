// The window seam and the pump on real Win32 controls in this process: the
// texts of edit boxes and labels as code-page bytes, the fixed captions
// through the wide API, the message boxes, and what the pump dispatches.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/ControlWindow_win.h"

namespace zelvorn {
namespace {

using namespace std::chrono_literals;

std::vector<UINT> g_seen;  // messages the test windows received, in order

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg >= WM_APP || msg == WM_CLOSE || msg == WM_KEYDOWN) g_seen.push_back(msg);
  if (msg == WM_CLOSE) return 0;  // recorded, not acted on
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A hidden window holding one real control per Control: edit boxes styled
// as the program's, labels for the labels, buttons for the rest.
class RealControls : public ::testing::Test {
 protected:
  void SetUp() override {
    g_seen.clear();
    WNDCLASSW cls{};
    cls.lpfnWndProc = RecordingProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"SeamTestMain";
    RegisterClassW(&cls);
    main_ = CreateWindowExW(0, L"SeamTestMain", L"", WS_OVERLAPPEDWINDOW, 0, 0, 460, 401, nullptr, nullptr,
                            cls.hInstance, nullptr);
    std::array<HWND, kControlCount> controls{};
    for (int i = 0; i < kControlCount; ++i) {
      const auto c = static_cast<Control>(i);
      const wchar_t* kind = L"Button";
      DWORD style = WS_CHILD | WS_VISIBLE;
      if (c == Control::SourceBox || c == Control::ResultBox) {
        kind = L"Edit";
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      } else if (c == Control::VersionLabel || c == Control::VersionCaption) {
        kind = L"Static";
        style |= SS_NOPREFIX;
      }
      controls[static_cast<std::size_t>(i)] =
          CreateWindowExW(0, kind, L"", style, 0, 20 * i, 200, 72, main_, nullptr, cls.hInstance, nullptr);
    }
    window_.Attach(main_, controls);
    Drain();
  }
  void TearDown() override { DestroyWindow(main_); }

  static void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    g_seen.clear();
  }

  HWND main_ = nullptr;
  ControlWindow window_{0};  // looks at the queue on every call
};

TEST_F(RealControls, TheAnsiCodePageIs936) {
  // Wine takes it from LC_ALL=zh_CN.UTF-8; the byte tests below need it.
  EXPECT_EQ(GetACP(), 936u);
}

TEST_F(RealControls, EditBoxTextGoesRoundAsBytes) {
  const std::string texts[] = {
      "ftp://a/",
      "qqdl://YQ==\r\nZZ\r\n",                                   // CR LF pairs stay as they are
      "http://\xC0\xFD\xD7\xD3.cn/\xCE\xC4\xBC\xFE.zip",        // 例子 文件 in code page 936
      " \xA1\xA1 leading spaces & ampersands ",
  };
  for (const std::string& text : texts) {
    window_.SetControlText(Control::SourceBox, text);
    EXPECT_EQ(window_.GetControlText(Control::SourceBox), text);
  }
  EXPECT_EQ(window_.GetControlText(Control::ResultBox), "") << "an empty box gives the empty text";
  window_.SetControlText(Control::SourceBox, "");
  EXPECT_EQ(window_.GetControlText(Control::SourceBox), "");
  EXPECT_EQ(GetWindowTextLengthW(window_.Handle(Control::SourceBox)), 0);
}

TEST_F(RealControls, LongTextGoesRoundWhole) {
  std::string text;
  while (text.size() < 300'000) text += std::string(74, static_cast<char>('a' + text.size() % 26)) + "\r\n";
  text += "\xD6\xD0";
  window_.SetControlText(Control::ResultBox, text);
  const Text back = window_.GetControlText(Control::ResultBox);
  EXPECT_EQ(back.size(), text.size());
  EXPECT_TRUE(back == text);
}

TEST_F(RealControls, LabelCaptionsAndFixedCaptions) {
  window_.SetControlText(Control::VersionLabel, "V1.3\r\n");
  EXPECT_EQ(window_.GetControlText(Control::VersionLabel), "V1.3\r\n");
  window_.SetControlCaption(Control::VersionLabel, "检测失败");
  EXPECT_EQ(window_.GetControlText(Control::VersionLabel), "\xBC\xEC\xB2\xE2\xCA\xA7\xB0\xDC");
  wchar_t wide[16] = {};
  GetWindowTextW(window_.Handle(Control::VersionLabel), wide, 16);
  EXPECT_EQ(std::wstring(wide), WideFromUtf8("检测失败"));
  EXPECT_EQ(WideFromUtf8(""), L"");
}

TEST_F(RealControls, PumpDispatchesEveryWaitingMessageInOrder) {
  for (UINT m = WM_APP; m < WM_APP + 5; ++m) PostMessageW(main_, m, 0, 0);
  window_.PumpPendingMessages();
  EXPECT_EQ(g_seen, (std::vector<UINT>{WM_APP, WM_APP + 1, WM_APP + 2, WM_APP + 3, WM_APP + 4}));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(RealControls, PumpLeavesAQuitMessageForTheLoop) {
  PostMessageW(main_, WM_APP, 0, 0);
  PostQuitMessage(7);
  window_.PumpPendingMessages();
  EXPECT_EQ(g_seen, std::vector<UINT>{WM_APP});
  window_.PumpPendingMessages();  // nothing but the quit message: returns at once
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(RealControls, PumpRunsHandlersThatPumpThemselves) {
  // A handler that pumps, as a nested conversion does, sees the messages
  // behind its own.
  static ControlWindow* pumping = nullptr;
  pumping = &window_;
  SetWindowLongPtrW(main_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                      if (m == WM_APP) {
                        g_seen.push_back(m);
                        pumping->PumpPendingMessages();
                        g_seen.push_back(WM_APP + 100);
                        return 0;
                      }
                      return RecordingProc(h, m, w, l);
                    }));
  PostMessageW(main_, WM_APP, 0, 0);
  PostMessageW(main_, WM_APP + 1, 0, 0);
  window_.PumpPendingMessages();
  EXPECT_EQ(g_seen, (std::vector<UINT>{WM_APP, WM_APP + 1, WM_APP + 100}));
  SetWindowLongPtrW(main_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
}

TEST_F(RealControls, EscInAnyControlBecomesACloseRequest) {
  for (Control c : {Control::SourceBox, Control::ResultBox, Control::ToThunderButton}) {
    g_seen.clear();
    PostMessageW(window_.Handle(c), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    window_.PumpPendingMessages();  // takes the key, posts the close request
    window_.PumpPendingMessages();  // dispatches it
    EXPECT_EQ(g_seen, std::vector<UINT>{WM_CLOSE});
  }
  // Other keys reach the control.
  window_.SetControlText(Control::SourceBox, "");
  PostMessageW(window_.Handle(Control::SourceBox), WM_CHAR, 'x', 0);
  window_.PumpPendingMessages();
  EXPECT_EQ(window_.GetControlText(Control::SourceBox), "x");
}

// Under Wine each look at the queue is a round trip to the server: the
// pump looks once per interval, however often the codec calls it (its cost
// is timed by bench/window_speed.sh), and again as soon as the interval has
// passed.
TEST(Pump, LooksAgainOnceItsIntervalHasPassed) {
  ControlWindow window;  // the program's interval
  HWND target = CreateWindowExW(0, L"Static", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  window.PumpPendingMessages();
  PostMessageW(target, WM_NULL, 0, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(ControlWindow::kLookInterval) + 20ms);
  window.PumpPendingMessages();
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "a look is due after the interval";
  DestroyWindow(target);
}

TEST(Pump, LooksNoOftenerThanItsInterval) {
  ControlWindow window(60'000);
  HWND target = CreateWindowExW(0, L"Static", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  window.PumpPendingMessages();  // the first call looks
  PostMessageW(target, WM_NULL, 0, 0);
  window.PumpPendingMessages();  // too soon: the message waits
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(target);
}

// The message boxes: no owner, task-modal, the texts through the wide API.
struct BoxSeen {
  std::wstring title, text;
  std::vector<int> buttons;
  bool mainEnabled = true;
  bool hasIcon = false;
};

TEST_F(RealControls, MessageBoxesAreTaskModalWithoutOwner) {
  ShowWindow(main_, SW_SHOWNOACTIVATE);
  struct Case {
    MessageStyle style;
    int press;
    MessageAnswer answer;
    std::vector<int> buttons;
  } cases[] = {
      {MessageStyle::OkError, IDOK, MessageAnswer::Ok, {IDOK}},
      {MessageStyle::YesNoQuestion, IDYES, MessageAnswer::Yes, {IDYES, IDNO}},
      {MessageStyle::YesNoQuestion, IDNO, MessageAnswer::No, {IDYES, IDNO}},
      {MessageStyle::OkExclamation, IDOK, MessageAnswer::Ok, {IDOK}},
  };
  const DWORD thread = GetCurrentThreadId();
  for (const Case& c : cases) {
    BoxSeen seen;
    HWND owner = reinterpret_cast<HWND>(1);
    std::thread answerer([&] {
      HWND box = nullptr;
      for (int i = 0; i < 500 && !box; ++i) {
        EnumThreadWindows(
            thread,
            [](HWND h, LPARAM p) -> BOOL {
              wchar_t cls[16] = {};
              GetClassNameW(h, cls, 16);
              if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(h)) return TRUE;
              *reinterpret_cast<HWND*>(p) = h;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&box));
        if (!box) std::this_thread::sleep_for(10ms);
      }
      if (!box) return;
      std::this_thread::sleep_for(50ms);
      wchar_t text[256] = {};
      GetWindowTextW(box, text, 256);
      seen.title = text;
      GetDlgItemTextW(box, 0xFFFF, text, 256);
      seen.text = text;
      for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (GetDlgItem(box, id) != nullptr) seen.buttons.push_back(id);
      seen.mainEnabled = IsWindowEnabled(main_) != FALSE;
      owner = GetWindow(box, GW_OWNER);
      for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && GetDlgCtrlID(child) != 0xFFFF)
          seen.hasIcon = true;
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(c.press, BN_CLICKED), 0);
    });
    const MessageAnswer answer = window_.ShowMessage("格式错误！请输入正确的地址！", "错误", c.style);
    answerer.join();
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(seen.title, WideFromUtf8("错误"));
    EXPECT_EQ(seen.text, WideFromUtf8("格式错误！请输入正确的地址！"));
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_FALSE(seen.mainEnabled) << "task-modal: the thread's other windows take no input";
    EXPECT_EQ(owner, nullptr) << "no owner window";
    EXPECT_TRUE(seen.hasIcon);
    EXPECT_TRUE(IsWindowEnabled(main_));
  }
}

}  // namespace
}  // namespace zelvorn
