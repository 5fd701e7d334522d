#include <gtest/gtest.h>

#include <climits>

#include "text/Text.h"
#include "text/Utf8.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;

struct CutCase {
  const char* name;
  Text (*op)(std::string_view, std::int32_t, std::int32_t);
  std::string text;
  std::int32_t a, b;
  std::string expected;
};

Text Left(std::string_view t, std::int32_t n, std::int32_t) { return TextLeft(t, n); }
Text Right(std::string_view t, std::int32_t n, std::int32_t) { return TextRight(t, n); }

// Callers pass counts such as "length minus prefix length" unchecked, so the
// edges are where a fault would corrupt an address.
TEST(TextCuts, EdgesGiveEmptyOrCutResults) {
  const std::string gbk7 = "abcdef\xB0\xA1";  // a two-byte character at bytes 7 and 8
  const CutCase cases[] = {
      {"left longer than text", Left, "abcd", 6, 0, "abcd"},
      {"left zero", Left, "abcd", 0, 0, ""},
      {"left negative", Left, "abcd", -5, 0, ""},
      {"left of empty", Left, "", 3, 0, ""},
      {"left splits a character", Left, gbk7, 7, 0, "abcdef\xB0"},
      {"right negative", Right, "abcdefg", 7 - 10, 0, ""},
      {"right longer than text", Right, "abc", 9, 0, "abc"},
      {"right", Right, "abcdefg", 2, 0, "fg"},
      {"mid", TextMid, "abcdefg", 3, 7 - 4, "cde"},
      {"mid negative count", TextMid, "abc", 3, 3 - 4, ""},
      {"mid start beyond end", TextMid, "ab", 3, 5, ""},
      {"mid start at last byte", TextMid, "abc", 3, 5, "c"},
      {"mid start zero", TextMid, "abc", 0, 2, ""},
      {"mid start negative", TextMid, "abc", -1, 5, ""},
      {"mid start most negative", TextMid, "abc", INT_MIN, 5, ""},
      {"mid count cut at end", TextMid, "abc", 2, 99, "bc"},
      {"mid count largest", TextMid, "abc", 1, INT_MAX, "abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.op(c.text, c.a, c.b), c.expected) << c.name;
}

TEST(TextEquals, WholeBytesOnlyCaseSensitive) {
  EXPECT_TRUE(TextEquals(Text(), ""));
  EXPECT_TRUE(TextEquals("\xB0\xA1", "\xB0\xA1"));
  EXPECT_FALSE(TextEquals("V1.3", "V1.3\r\n"));
  EXPECT_FALSE(TextEquals("V1.3\r\n", "V1.3"));
  EXPECT_FALSE(TextEquals("v1.3", "V1.3"));
  EXPECT_FALSE(TextEquals("", "a"));
}

TEST(TextConversions, BytesEndAtFirstZero) {
  EXPECT_EQ(BytesToText("A\0B"s), "A");
  EXPECT_EQ(BytesToText("\0A"s), "");
  EXPECT_EQ(BytesToText(Bytes()), "");
  EXPECT_EQ(BytesToText(Bytes("x\xFFy\0z"s)), "x\xFFy");  // the in-place form
  EXPECT_EQ(TextToBytes(""), Bytes());
  EXPECT_EQ(TextToBytes(static_cast<unsigned char>(0)), "\0"s);
  EXPECT_EQ(ConcatText({"AA", Text(), "ZZ"}), "AAZZ");
}

struct ScanCase {
  std::string text;
  std::string expected;
};

TEST(RemoveAllSpaces, StepsByCharacters) {
  const ScanCase cases[] = {
      {"a b", "ab"},
      {"a\tb", "a\tb"},
      {"a\r\n b", "a\r\nb"},
      {"Y\xA1\xA1Z", "YZ"},
      {"\xB0\x20", "\xB0\x20"},    // second byte of a character, not a space
      {"\xB0\xA1\xA1", ""s + "\xB0\xA1"},  // B0 A1 is one character, the last A1 is a lone lead byte
      {"a\xA1\xA1\xA1", "a"},      // full-width space, then a lone lead byte at the end
      {"ab\x80", "ab"},
      {"   ", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RemoveAllSpaces(c.text), c.expected) << c.text;
}

TEST(ReplaceAll, MatchesOnlyWhereCharactersBeginWithoutRescan) {
  EXPECT_EQ(ReplaceAll("YWJj\r\nZGVm\r\n", "\r\n"), "YWJjZGVm");
  EXPECT_EQ(ReplaceAll("a\rb\nc", "\r\n"), "a\rb\nc");
  EXPECT_EQ(ReplaceAll("\r\r\n\n", "\r\n"), "\r\n");
  EXPECT_EQ(ReplaceAll("\xB0\r\n", "\r\n"), "\xB0\r\n");  // B0 0D is one character
  EXPECT_EQ(ReplaceAll("aXbX", "X", "yy"), "ayybyy");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("Abc", "a", "x"), "Abc");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("", "a", "x"), "");
  // A lone lead byte at the very end: dropped when the scan reaches it,
  // appended when fewer bytes than `find` remain.
  EXPECT_EQ(ReplaceAll("ab\x80", "X"), "ab");
  EXPECT_EQ(ReplaceAll("ab\x80", "XY"), "ab\x80");
  EXPECT_EQ(ReplaceAll("\xB0X", "X", "-"), "\xB0X");  // X is the second byte of B0 58
}

TEST(IsValidUtf8, AcceptsWellFormedTextOnly) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"http://a/b", true},
      {"\xE4\xBE\x8B\xE5\xAD\x90", true},                  // 例子
      {"\xED\x95\x9C", true},                              // 한
      {"\xF0\x9F\x98\x80", true},                          // an emoji, four bytes
      {"\xC0\xAF", false},                                 // overlong "/"
      {"\xE0\x80\xAF", false},                             // overlong, three bytes
      {"\xED\xA0\x80", false},                             // a surrogate
      {"\xF4\x90\x80\x80", false},                         // past U+10FFFF
      {"\xE4\xBE", false},                                 // cut short at the end
      {"\xE4\x41\x8B", false},                             // ASCII inside a sequence
      {"\x80", false},                                     // a lone continuation byte
      {"\xC0\xFD\xD7\xD3", false},                         // 例子 in GBK
      {"\xCE\xC4\xBC\xFE", false},                         // 文件 in GBK
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
  EXPECT_FALSE(HasNonAscii("http://a/\x7F"));
  EXPECT_TRUE(HasNonAscii("http://a/\x80"));
}

}  // namespace
}  // namespace zelvorn
