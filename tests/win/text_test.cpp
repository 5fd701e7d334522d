// The boxes hold Unicode text and no character is lost: what an address's
// bytes show as, which bytes a typed address makes, and the clipboard's
// Unicode text. The rule and the clipboard are tried in this process;
// Zelvorn.exe is driven from outside, on this code page (936) and on
// another.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <string>
#include <utility>

#include "Version.h"
#include "WindowTest.h"
#include "app/BoxText_win.h"
#include "links/Clipboard.h"
#include "links/Clipboard_win.h"
#include "tests/winsupport/GuardedPage.h"

namespace zelvorn {
namespace {

using namespace wintest;
using namespace std::string_literals;
using enum Control;

// 例子 and 文件 in code page 936.
const std::string kGbkAddress = "http://\xC0\xFD\xD7\xD3.cn/\xCE\xC4\xBC\xFE.zip";
const std::string kChineseAddress = "http://例子.cn/文件.zip";
// Characters that code page 936 lacks: Hangul, an emoji (a surrogate pair
// in UTF-16), a capital A with a grave accent.
const std::string kForeignAddress = "http://한국.kr/파일😀À.zip";

// --- The rule, on its own --------------------------------------------------

TEST(AddressText, BytesShowAsTheirTextAndTextGivesItsBytes) {
  struct Case {
    const char* what;
    std::string bytes;     // decoded from a link
    std::string shown;     // UTF-8 of the box's text
    std::string bytesBack; // the box's text as a link's address
  } cases[] = {
      {"ASCII", "ftp://a/\r\nb c", "ftp://a/\r\nb c", "ftp://a/\r\nb c"},
      {"GBK", kGbkAddress, kChineseAddress, kGbkAddress},
      {"UTF-8 with GBK forms: typed again, GBK", "http://例子.cn/", "http://例子.cn/",
       "http://\xC0\xFD\xD7\xD3.cn/"},
      {"UTF-8 without GBK forms", kForeignAddress, kForeignAddress, kForeignAddress},
      {"one character without a GBK form makes it all UTF-8", "http://例/한", "http://例/한", "http://例/한"},
      // GBK bytes of 涓嬭浇 are the UTF-8 of 下载: valid UTF-8 wins.
      {"GBK bytes that are valid UTF-8", "\xE4\xB8\x8B\xE8\xBD\xBD", "下载", "\xCF\xC2\xD4\xD8"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BoxTextOf(c.bytes), Wide(c.shown)) << c.what;
    EXPECT_EQ(AddressBytesOf(Wide(c.shown)), c.bytesBack) << c.what;
  }
  EXPECT_EQ(BoxTextOf(""), L"");
  EXPECT_EQ(AddressBytesOf(L""), "");
}

// --- The clipboard, in this process ---------------------------------------

std::wstring UnicodeOnClipboard() {
  std::wstring text = L"<none>";
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
    text.assign(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

std::string AnsiOnClipboard() {
  std::string text = "<none>";
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    const auto* bytes = static_cast<const char*>(GlobalLock(data));
    text.assign(bytes, strnlen(bytes, GlobalSize(data)));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// Replaces the clipboard with blocks of the given formats, as another
// program would.
void PutOnClipboard(std::initializer_list<std::pair<UINT, std::string>> blocks) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  for (const auto& [format, bytes] : blocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    SetClipboardData(format, block);
  }
  CloseClipboard();
}

// Unicode text and its terminating zero, as a clipboard block holds them.
std::string UnicodeBlock(std::wstring_view wide) {
  return std::string(reinterpret_cast<const char*>(wide.data()), (wide.size() + 1) * sizeof(wchar_t));
}

TEST(UnicodeClipboard, CopyHandsOverUnicodeTextBesideTheAnsiForm) {
  const std::string text = "http://例子/한국\r\nb";
  ASSERT_TRUE(SetClipboardText(text));
  EXPECT_EQ(UnicodeOnClipboard(), Wide(text));
  // The ANSI form is in the system's code page (936 here): what it lacks is lost there only.
  EXPECT_EQ(AnsiOnClipboard(), "http://\xC0\xFD\xD7\xD3/??\r\nb");
  EXPECT_EQ(GetClipboardText(), text);
}

TEST(UnicodeClipboard, PasteTakesUnicodeTextBeforeTheAnsiForm) {
  PutOnClipboard({{CF_UNICODETEXT, UnicodeBlock(L"한국")}, {CF_TEXT, std::string("ansi\0", 5)}});
  EXPECT_EQ(GetClipboardText(), "한국");
  // Only the ANSI form: read in the system's code page.
  PutOnClipboard({{CF_TEXT, std::string("\xD6\xD0 b\0", 5)}});
  EXPECT_EQ(GetClipboardText(), "中 b");
}

// Unicode text without its terminating zero is read within its block; an
// odd last byte is no character.
TEST(UnicodeClipboard, UnicodeTextIsReadWithinItsBlock) {
  const GuardedPage page;
  ASSERT_NE(page.End(), nullptr);
  auto* end = reinterpret_cast<wchar_t*>(page.End());
  std::wmemcpy(end - 3, L"한국a", 3);
  EXPECT_EQ(TextOfClipboardBlock(end - 3, 6), L"한국a");
  EXPECT_EQ(TextOfClipboardBlock(end - 3, 5), L"한국");
  end[-2] = L'\0';
  EXPECT_EQ(TextOfClipboardBlock(end - 3, 6), L"한");
  EXPECT_EQ(TextOfClipboardBlock(end - 3, 0), L"");
}

// --- Zelvorn.exe -----------------------------------------------------------

// An edit box's text of another process, through the wide API.
std::wstring WideTextOf(HWND hwnd) {
  for (std::size_t room = 256;; room *= 4) {
    std::wstring text(room, L'\0');
    const auto n = SendMessageW(hwnd, WM_GETTEXT, room, reinterpret_cast<LPARAM>(text.data()));
    if (static_cast<std::size_t>(n) + 1 < room) return text.substr(0, static_cast<std::size_t>(n));
  }
}

void SetWideTextOf(HWND hwnd, const std::string& utf8) {
  SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(utf8).c_str()));
}

// Puts the text (UTF-8) into the source box, clicks the button and waits
// for the result box to change; returns its text as UTF-8.
std::string Convert(HWND main, Control button, const std::string& source) {
  SetWideTextOf(Child(main, SourceBox), source);
  SetTextOf(Child(main, ResultBox), "-");
  Click(Child(main, button));
  std::wstring result = L"-";
  WaitFor([&] { return (result = WideTextOf(Child(main, ResultBox))) != L"-"; });
  return Utf8(result);
}

// Clicks the copy button and waits for what it hands over. Looks at the
// clipboard only once the copy has begun: a look holds it open, and a copy
// that cannot open it fails.
std::wstring CopyResultBox(HWND main) {
  PutOnClipboard({{CF_UNICODETEXT, UnicodeBlock(L"-")}});
  std::wstring copied = L"-";
  if (ClickAndAwaitCopy(Child(main, CopyButton))) WaitFor([&] { return (copied = UnicodeOnClipboard()) != L"-"; });
  return copied;
}

using UnicodeBoxes = WindowTest;

TEST_F(UnicodeBoxes, DecodedAddressesShowAsTheirTextAndCopyWhole) {
  struct Case {
    Control button;
    std::string link, shown, ansi;  // ansi: the result box in code page 936
  } cases[] = {
      {FromQqdlButton, QqdlLinkOf(kForeignAddress), kForeignAddress, ""},
      {FromThunderButton, ThunderLinkOf(kChineseAddress), kChineseAddress, kGbkAddress},
      {FromFlashGetButton, FlashGetLinkOf(kGbkAddress), kChineseAddress, kGbkAddress},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(main_, c.button, c.link), c.shown) << c.link;
    if (!c.ansi.empty()) {
      EXPECT_EQ(TextOf(Of(ResultBox)), c.ansi) << "a GBK address stays byte for byte";
    }
    EXPECT_EQ(CopyResultBox(main_), Wide(c.shown)) << c.link;
  }
}

TEST_F(UnicodeBoxes, TypedAddressesMakeGbkLinksOrElseUtf8Links) {
  struct Case {
    Control to, from;
    std::string (*linkOf)(std::string_view address);
    std::string address, bytes;
  } cases[] = {
      {ToThunderButton, FromThunderButton, ThunderLinkOf, kForeignAddress, kForeignAddress},
      {ToQqdlButton, FromQqdlButton, QqdlLinkOf, "http://a/\r\n😀", "http://a/\r\n😀"},
      {ToFlashGetButton, FromFlashGetButton, FlashGetLinkOf, kChineseAddress, kGbkAddress},
  };
  for (const Case& c : cases) {
    const std::string link = Convert(main_, c.to, c.address);
    EXPECT_EQ(link, c.linkOf(c.bytes)) << c.address;
    EXPECT_EQ(Convert(main_, c.from, link), c.address) << "decodes back";
  }
}

// Paste and copy move characters, never bytes: 涓嬭浇 in GBK is the UTF-8
// of 下载, and through the bytes' rule it would come back so.
TEST_F(UnicodeBoxes, PasteAndCopyMoveTheCharactersUnchanged) {
  for (const std::string& text : {"http://涓嬭浇/\r\nb"s, "http://한국/😀 涓嬭浇"s}) {
    ASSERT_TRUE(SetClipboardText(text));
    Click(Of(PasteButton));
    EXPECT_TRUE(WaitFor([&] { return WideTextOf(Of(SourceBox)) == Wide(text); })) << Utf8(WideTextOf(Of(SourceBox)));
    SetWideTextOf(Of(ResultBox), text);
    EXPECT_EQ(CopyResultBox(main_), Wide(text));
  }
}

// The same program on a system whose code page is not 936: CTest runs this
// test program with LC_ALL=en_US.UTF-8, and Zelvorn.exe inherits it.
TEST(OtherCodePage, ChineseAddressesStillMakeGbkLinks) {
  ASSERT_NE(GetACP(), 936u) << "run with ZELVORN_TEST_LOCALE=en_US.UTF-8";
  ASSERT_TRUE(kServer.SetMode(kVersionText));
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);

  // The ANSI form of its copy shows the code page it runs with.
  SetWideTextOf(Child(main, ResultBox), "例");
  ASSERT_EQ(CopyResultBox(main), L"例");
  ASSERT_EQ(AnsiOnClipboard(), "?") << "Zelvorn.exe runs with code page 936";

  EXPECT_EQ(Convert(main, ToQqdlButton, kChineseAddress), QqdlLinkOf(kGbkAddress));
  EXPECT_EQ(Convert(main, FromThunderButton, ThunderLinkOf(kGbkAddress)), kChineseAddress);
  EXPECT_EQ(Convert(main, ToFlashGetButton, kForeignAddress), FlashGetLinkOf(kForeignAddress));
  EXPECT_EQ(Convert(main, FromQqdlButton, QqdlLinkOf(kForeignAddress)), kForeignAddress);
}

}  // namespace
}  // namespace zelvorn
