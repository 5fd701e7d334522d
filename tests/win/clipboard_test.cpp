// The clipboard functions on the real (Wine) clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "links/Clipboard.h"
#include "links/Clipboard_win.h"
#include "tests/winsupport/GuardedPage.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;

TEST(Clipboard, TextGoesRoundUnchanged) {
  for (const std::string& text : {"qqdl://YQ==\r\nZZ"s, "中文 http://a"s, ""s}) {
    ASSERT_TRUE(SetClipboardText(text));
    EXPECT_EQ(GetClipboardText(), text);
  }
}

// Only CF_TEXT counts; what else was on the clipboard is gone after a copy.
TEST(Clipboard, CopyReplacesEveryFormatAndPasteOfNoTextIsEmpty) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL picture = GlobalAlloc(GMEM_MOVEABLE, 64);
  SetClipboardData(CF_DIB, picture);
  CloseClipboard();
  EXPECT_EQ(GetClipboardText(), "");

  ASSERT_TRUE(SetClipboardText("abc"));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
}

// Another program may put CF_TEXT there without a terminating zero: the
// read stops at the end of the block. Wine's own clipboard writes a zero
// into the block's last byte (losing the last character), so the missing
// zero is tried on a block of its own too.
TEST(Clipboard, TextWithoutTerminatorIsReadWithinItsBlock) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(GlobalLock(block), "ABCD", 4);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  // What the clipboard now hands out, read within its size.
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  const std::string handed(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
  GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(GetClipboardText(), handed.substr(0, handed.find('\0')));

  // A block of 4 bytes with no zero, and the page after it unreadable: a
  // read past the block would fault.
  const GuardedPage page;
  ASSERT_NE(page.End(), nullptr);
  char* end = page.End();
  std::memcpy(end - 4, "ABCD", 4);
  EXPECT_EQ(TextOfClipboardBlock(end - 4, 4), "ABCD");
  end[-2] = '\0';
  EXPECT_EQ(TextOfClipboardBlock(end - 4, 4), "AB");
  EXPECT_EQ(TextOfClipboardBlock(end - 4, 0), "");
}

// A copy hands over a block of exactly the text's length plus one zero byte; an
// empty text leaves one zero byte.
TEST(Clipboard, HandsOverTheTextAndOneZeroByte) {
  for (const std::string& text : {"abc"s, ""s}) {
    ASSERT_TRUE(SetClipboardText(text));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(GlobalSize(data), text.size() + 1);
    const auto* bytes = static_cast<const char*>(GlobalLock(data));
    EXPECT_EQ(std::string(bytes, text.size() + 1), text + '\0');
    GlobalUnlock(data);
    CloseClipboard();
  }
}

}  // namespace
}  // namespace zelvorn
