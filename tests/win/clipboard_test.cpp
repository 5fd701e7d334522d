// The clipboard functions on the real (Wine) clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "links/Clipboard.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;

TEST(Clipboard, TextGoesRoundUnchanged) {
  for (const std::string& text : {"qqdl://YQ==\r\nZZ"s, "\xD6\xD0\xCE\xC4 http://a"s, ""s}) {
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
// read stops at the end of the block.
TEST(Clipboard, TextWithoutTerminatorIsReadWithinItsBlock) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(GlobalLock(block), "ABCD", 4);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  // The block now belongs to the clipboard, which may hand out a copy.
  const Text text = GetClipboardText();
  EXPECT_LE(text.size(), 4u);
  EXPECT_EQ(std::string("ABCD").rfind(text, 0), 0u) << text;
}

}  // namespace
}  // namespace zelvorn
