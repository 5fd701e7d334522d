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

// A host that counts pumps, records progress and, on one chosen pump, runs
// another codec call to its end, as a click during a long conversion would.
struct RecordingHost {
  int pumps = 0;
  std::vector<int> percents;
  bool labelExists = true;
  int nestAtPump = -1;
  Text nestedResult;

  void PumpPendingMessages() {
    if (++pumps == nestAtPump) {
      NoWindow inner;
      Text other = "YWJjZGVm";
      nestedResult = BytesToText(Base64Decode(other, {}, inner));
    }
  }
  bool LabelExists(ProgressLabel) { return labelExists; }
  void RaiseFeedback(ProgressLabel, std::int32_t percent, std::int32_t zero) {
    EXPECT_EQ(zero, 0);
    percents.push_back(percent);
  }
};

TEST(Base64Host, PumpsFiveTimesPerGroupEncodingAndOncePerGroupDecoding) {
  RecordingHost host;
  const Text encoded = Base64Encode(Data(100 * 3), {}, host);
  EXPECT_EQ(host.pumps, 5 * 100);
  EXPECT_TRUE(host.percents.empty()) << "(0, 0) refers to no label";

  RecordingHost decoding;
  Text link = encoded;
  Base64Decode(link, {}, decoding);
  EXPECT_EQ(decoding.pumps, 100);

  RecordingHost empty;
  Text nothing;
  Base64Encode("", {1, 2}, empty);
  Base64Decode(nothing, {1, 2}, empty);
  EXPECT_EQ(empty.pumps, 0);
  EXPECT_TRUE(empty.percents.empty());
}

TEST(Base64Host, ReportsPercentInDoublePrecision) {
  RecordingHost host;
  Base64Encode("abcdefgh", {1, 7}, host);
  EXPECT_EQ(host.percents, (std::vector<int>{33, 66, 100}));

  RecordingHost many;
  Text link = Base64Encode(Data(300));
  Base64Decode(link, {1, 7}, many);
  ASSERT_EQ(many.percents.size(), 100u);
  EXPECT_EQ(many.percents[28], 28);  // 29 / 100 * 100 is 28.999...
  EXPECT_EQ(many.percents.back(), 100);

  RecordingHost gone;
  gone.labelExists = false;
  Base64Encode("abc", {1, 7}, gone);
  EXPECT_TRUE(gone.percents.empty());
}

TEST(Base64Host, NestedCallDuringAPumpLeavesTheOuterCallIntact) {
  const std::string data = Data(57 * 3 + 1);
  RecordingHost host;
  host.nestAtPump = 7;
  EXPECT_EQ(Base64Encode(data, {}, host), Base64Encode(data));
  EXPECT_EQ(host.nestedResult, "abcdef");

  RecordingHost decoding;
  decoding.nestAtPump = 2;
  Text link = Base64Encode(data);
  EXPECT_EQ(Base64Decode(link, {}, decoding), data);
  EXPECT_EQ(decoding.nestedResult, "abcdef");
}

}  // namespace
}  // namespace zelvorn
