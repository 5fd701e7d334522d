#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codec/Base64.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;

struct Vector {
  std::string plain;
  std::string encoded;
};

const Vector kVectors[] = {
    {"", ""},
    {"a", "YQ=="},
    {"ab", "YWI="},
    {"abc", "YWJj"},
    {"abcd", "YWJjZA=="},
    {"abcde", "YWJjZGU="},
    {"abcdef", "YWJjZGVm"},
    {"AAhttp://aZZ", "QUFodHRwOi8vYVpa"},
    {"a\0b"s, "YQBi"},
    {"\xFF\xFE\x00"s, "//4A"},
};

TEST(Base64, KnownVectorsBothWays) {
  for (const auto& v : kVectors) {
    EXPECT_EQ(Base64Encode(v.plain), v.encoded) << v.encoded;
    Text link = v.encoded;
    EXPECT_EQ(Base64Decode(link), v.plain) << v.encoded;
  }
}

std::string Data(std::size_t n) {
  std::string data;
  for (std::size_t i = 0; i < n; ++i) data.push_back(static_cast<char>('a' + i % 26));
  return data;
}

// Lines of 76 characters, each ended by CR LF, the last line without one;
// a text of whole lines ends with CR LF.
TEST(Base64Encode, BreaksLinesAfterNineteenGroups) {
  struct LineCase {
    std::size_t bytes;
    std::size_t length;
    std::string tail;
  };
  const LineCase cases[] = {
      {55, 78, "==\r\n"}, {56, 78, "=\r\n"}, {57, 78, "\r\n"}, {58, 82, "\r\nZg=="},
      {114, 156, "\r\n"}, {115, 160, "\r\naw=="},
  };
  for (const auto& c : cases) {
    const Text text = Base64Encode(Data(c.bytes));
    ASSERT_EQ(text.size(), c.length) << c.bytes;
    EXPECT_EQ(text.substr(text.size() - c.tail.size()), c.tail) << c.bytes;
    EXPECT_EQ(text.size(), Base64EncodedLength(c.bytes));
    for (std::size_t line = 76; line < text.size(); line += 78) EXPECT_EQ(text.substr(line, 2), "\r\n");
  }
}

TEST(Base64, EveryByteValueAtEveryOffsetRoundTrips) {
  std::string data;
  for (int i = 0; i < 256 * 3 + 2; ++i) data.push_back(static_cast<char>(i * 7 + i / 256));
  for (std::size_t n = 0; n <= data.size(); n += 1 + n / 16) {
    const std::string part = data.substr(0, n);
    const Text encoded = Base64Encode(part);
    EXPECT_EQ(encoded.size(), Base64EncodedLength(n));
    Text link = encoded;
    ASSERT_EQ(Base64Decode(link), part) << n;
  }
}

// The decoder never rejects: a byte outside the alphabet ends its group, the
// value array is carried over, and the last group alone decides the cut.
TEST(Base64Decode, DamagedTextDecodesByTheGroupRule) {
  const Vector cases[] = {
      {"a", "YQ"},
      {"ab", "YWI"},
      {"abc", "YW Jj"},
      {"abc", "YW\xA1\xA1Jj"},
      {"abcdef", "YWJj\r\nZGVm"},
      {"abc", "YWJj\r\n"},
      {"\x61\x62\x63\x29\x62\x63", "YWJj\nZGVm"},
      {"abc", "YWJjZ"},
      {"", "="},
      {"ab", "YWJj="},
      {"ab", "YWJj===="},
      {"a\0b"s, "YQBi"},
      {"", "\r\n"},
      {"", "\xB0"},  // a lone lead byte is dropped while cleaning
      {"\x00\x90"s, "A\tAA\tB"},  // tabs stay, end their groups and carry over
  };
  for (const auto& c : cases) {
    Text link = c.encoded;
    EXPECT_EQ(Base64Decode(link), c.plain) << c.encoded;
  }
}

TEST(Base64Decode, ReplacesTheCallersTextWithTheCleanedText) {
  Text link = "YW\xA1\xA1Jj";
  Base64Decode(link);
  EXPECT_EQ(link, "YWJj");
  link = "YW J\r \nj\r";
  Base64Decode(link);
  EXPECT_EQ(link, "YWJj\r");
}

// The in-place cleaning must equal removing spaces and then CR LF pairs.
TEST(CleanBase64Text, EqualsRemoveAllSpacesThenReplaceAll) {
  std::mt19937 random(20261210);
  const char alphabet[] = {' ', '\r', '\n', 'Q', '=', '\xA1', '\xB0', '\x80', '\t'};
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 12, ' ');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    Text cleaned = text;
    CleanBase64Text(cleaned);
    ASSERT_EQ(cleaned, ReplaceAll(RemoveAllSpaces(text), "\r\n")) << testing::PrintToString(text);
  }
}

// A long text goes through the codec in pieces: whole lines when encoding,
// any cut of the cleaned text when decoding. Every split must give the
// bytes of the whole.
TEST(Base64, PiecesJoinIntoTheWhole) {
  std::mt19937 random(57);
  for (int round = 0; round < 300; ++round) {
    std::string data(random() % 2000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    const Text whole = Base64Encode(data);

    const std::size_t lines = 1 + random() % 5;
    std::string joined(Base64EncodedLength(data.size()), '\0');
    std::size_t written = 0;
    for (std::size_t at = 0; at < data.size() || at == 0; at += lines * kBase64LineBytes) {
      written += Base64EncodeTo(std::string_view(data).substr(at, lines * kBase64LineBytes), joined.data() + written);
      if (data.empty()) break;
    }
    ASSERT_EQ(joined.substr(0, written), whole);

    // Damage the text, then decode it cut at random places.
    Text text = whole;
    for (int d = random() % 4; d > 0; --d) text.insert(random() % (text.size() + 1), 1, "=\t*\n"[random() % 4]);
    Text cleaned = text;
    const Bytes expected = Base64Decode(cleaned);
    Base64Decoder decoder;
    std::vector<unsigned char> out(Base64Decoder::DecodedCapacity(cleaned.size()) + 3);
    std::size_t n = 0;
    for (std::size_t at = 0; at < cleaned.size();) {
      const std::size_t size = std::min<std::size_t>(1 + random() % 9, cleaned.size() - at);
      n += decoder.Feed(std::string_view(cleaned).substr(at, size), out.data() + n);
      at += size;
    }
    n += decoder.Finish(out.data() + n);
    n -= std::min(decoder.Cut(), n);
    ASSERT_EQ(std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n)), expected)
        << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace zelvorn
