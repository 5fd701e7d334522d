// Zelvorn.exe worked from the keyboard alone, with real X key presses: the
// first focus, Tab and Shift+Tab, Ctrl+A, and Enter and Esc as the window
// gives them their meanings.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "WindowTest.h"

namespace zelvorn {
namespace {

using namespace wintest;
using enum Control;

// The window gets the X input focus as a window manager would give it to a
// window that opens; nothing is clicked.
class Keyboard : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_TRUE(X11::Focus("Zelvorn V"));
  }

  // The control that has the keyboard focus in the program's thread.
  std::optional<Control> Focused() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info) || !info.hwndFocus) return std::nullopt;
    return ControlOfId(GetDlgCtrlID(info.hwndFocus));
  }
  bool FocusComesTo(Control control) const {
    return WaitFor([&] { return Focused() == control; }, 3s);
  }
  std::string Name(std::optional<Control> control) const {
    return control ? std::to_string(static_cast<int>(*control)) : "none";
  }
};

TEST_F(Keyboard, TheSourceBoxHasTheFocusAtOnceForPastingAndTyping) {
  EXPECT_TRUE(FocusComesTo(SourceBox)) << Name(Focused());
  ASSERT_TRUE(X11::SetClipboard("http://例子.cn/"));
  ASSERT_TRUE(X11::Key("ctrl+v"));
  ASSERT_TRUE(X11::Type("a.zip"));
  const std::string expected = "http://\xC0\xFD\xD7\xD3.cn/a.zip";
  EXPECT_TRUE(WaitFor([&] { return TextOf(Of(SourceBox)) == expected; })) << TextOf(Of(SourceBox));
}

TEST_F(Keyboard, TabAndShiftTabGoRoundTheControlsInReadingOrder) {
  ASSERT_TRUE(FocusComesTo(SourceBox));
  const std::vector<Control> order = {PasteButton,           ResultBox,           CopyButton,        ToThunderButton,
                                      FromThunderButton,     ToFlashGetButton,    FromFlashGetButton, ToQqdlButton,
                                      FromQqdlButton,        ThunderDownloadButton, FlashGetDownloadButton,
                                      QqdlDownloadButton,    SourceBox};
  for (Control next : order) {
    ASSERT_TRUE(X11::Key("Tab"));
    EXPECT_TRUE(FocusComesTo(next)) << "Tab to " << Name(next) << ", focus in " << Name(Focused());
  }
  // Backwards from the source box, round the start to the last download
  // button, and on to the source box again.
  std::vector<Control> backwards(order.rbegin() + 1, order.rend());
  backwards.push_back(SourceBox);
  for (Control next : backwards) {
    ASSERT_TRUE(X11::Key("shift+Tab"));
    EXPECT_TRUE(FocusComesTo(next)) << "Shift+Tab to " << Name(next) << ", focus in " << Name(Focused());
  }
}

TEST_F(Keyboard, TabPutsNoTabCharacterIntoABox) {
  ASSERT_TRUE(FocusComesTo(SourceBox));
  ASSERT_TRUE(X11::Type("ftp://a/x.zip"));
  ASSERT_TRUE(X11::Key("Tab"));
  ASSERT_TRUE(FocusComesTo(PasteButton));
  ASSERT_TRUE(X11::Key("shift+Tab"));
  ASSERT_TRUE(FocusComesTo(SourceBox));
  ASSERT_TRUE(X11::Type("b"));
  EXPECT_TRUE(WaitFor([&] { return TextOf(Of(SourceBox)) == "ftp://a/x.zipb"; })) << TextOf(Of(SourceBox));
}

TEST_F(Keyboard, CtrlASelectsTheWholeBoxSoThatTypingReplacesIt) {
  for (Control box : {SourceBox, ResultBox}) {
    SetTextOf(Of(box), "ftp://old/\r\nsecond line");
    ASSERT_TRUE(X11::Click(Of(box)));
    ASSERT_TRUE(FocusComesTo(box));
    ASSERT_TRUE(X11::Key("ctrl+a"));
    ASSERT_TRUE(X11::Type("new"));
    EXPECT_TRUE(WaitFor([&] { return TextOf(Of(box)) == "new"; })) << TextOf(Of(box));
  }
}

// Enter breaks the line in a box reached by Tab; Esc closes the window
// from a control that only the keyboard gives the focus to.
TEST_F(Keyboard, EnterAndEscKeepTheirMeanings) {
  ASSERT_TRUE(FocusComesTo(SourceBox));
  ASSERT_TRUE(X11::Key("Tab Tab"));
  ASSERT_TRUE(FocusComesTo(ResultBox));
  ASSERT_TRUE(X11::Type("a"));
  ASSERT_TRUE(X11::Key("Return"));
  ASSERT_TRUE(X11::Type("b"));
  EXPECT_TRUE(WaitFor([&] { return TextOf(Of(ResultBox)) == "a\r\nb"; })) << TextOf(Of(ResultBox));
  EXPECT_EQ(Focused(), ResultBox) << "Enter moves no focus";
  ASSERT_TRUE(X11::Key("shift+Tab shift+Tab shift+Tab"));
  ASSERT_TRUE(FocusComesTo(QqdlDownloadButton));
  ASSERT_TRUE(X11::Key("Escape"));
  ExpectCleanExit();
}

}  // namespace
}  // namespace zelvorn
