#include <gtest/gtest.h>

#include <climits>

#include "text/Text.h"

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

}  // namespace
}  // namespace zelvorn
