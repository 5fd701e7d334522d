#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <vector>

#include "links/Conversions.h"
#include "links/Links.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;

TEST(CheckPlainAddress, BytewiseCaseSensitivePrefixes) {
  const std::pair<const char*, bool> cases[] = {
      {"http://", true},        {"https://x", true},   {"mms://x", true},
      {"ftp://a/", true},       {"rstp://x", true},    {"http://\r\nx", true},
      {"rtsp://x", false},      {"HTTP://x", false},   {"Ftp://x", false},
      {" http://x", false},     {"\r\nhttp://x", false}, {"http:/", false},
      {"", false},              {"thunder://QUFh", false},
  };
  for (const auto& [source, accepted] : cases) EXPECT_EQ(CheckPlainAddress(source), accepted) << source;
}

struct LinkCase {
  const LinkFormat* format;
  std::string address;
  std::string link;
};

// The links that the three download managers read.
const LinkCase kLinks[] = {
    {&kThunderLink, "ftp://a/", "thunder://QUFmdHA6Ly9hL1pa"},
    {&kFlashGetLink, "ftp://a/bc", "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd"},
    {&kQqdlLink, "ftp://a/b", "qqdl://ZnRwOi8vYS9i"},
    {&kThunderLink, "http://", "thunder://QUFodHRwOi8vWlo="},
    {&kQqdlLink, "http://\xD6\xD0\xCE\xC4", "qqdl://aHR0cDovL9bQzsQ="},
};

TEST(Links, EncodeAndDecodeTheKnownLinks) {
  for (const auto& c : kLinks) {
    EXPECT_EQ(EncodeLink(*c.format, c.address), c.link);
    EXPECT_EQ(DecodeLink(*c.format, c.link), c.address) << c.link;
  }
}

TEST(Links, LongAddressGivesWrappedLinkThatDecodesBack) {
  const std::string address = "http://host/" + std::string(300, 'x');
  const Text link = EncodeLink(kFlashGetLink, address);
  EXPECT_NE(link.find("\r\n"), std::string::npos);
  EXPECT_EQ(link.rfind("Flashget://", 0), 0u);
  EXPECT_EQ(DecodeLink(kFlashGetLink, link), address);
}

TEST(DecodeLink, RefusesAnyOtherFormOfTheScheme) {
  const std::pair<const LinkFormat*, const char*> refused[] = {
      {&kThunderLink, "Thunder://QUFh"}, {&kThunderLink, "THUNDER://QUFh"},
      {&kThunderLink, " thunder://QUFh"}, {&kThunderLink, "\r\nthunder://QUFh"},
      {&kFlashGetLink, "flashget://W0ZM"}, {&kQqdlLink, "QQDL://YQ=="},
      {&kQqdlLink, ""}, {&kQqdlLink, "http://a"}, {&kThunderLink, "thunder:/"},
  };
  for (const auto& [format, link] : refused) EXPECT_FALSE(DecodeLink(*format, link)) << link;
}

// The frame is cut by position, whatever its bytes.
TEST(DecodeLink, CutsTheFrameByPosition) {
  const auto thunder = [&](std::string_view framed) {
    return DecodeLink(kThunderLink, "thunder://" + Base64Encode(framed)).value();
  };
  EXPECT_EQ(thunder(""), "");
  EXPECT_EQ(thunder("AAZZ"), "");
  EXPECT_EQ(thunder("abcde"), "c");
  EXPECT_EQ(thunder("http://a/"), "tp://");  // a link without the frame loses 2 + 2 bytes
  EXPECT_EQ(thunder("AAhttp://a/\0ZZ"s), "http://");  // cut at the zero byte, then the frame
  EXPECT_EQ(DecodeLink(kThunderLink, "thunder://"), "");
  const auto flashget = [&](std::string_view framed) {
    return DecodeLink(kFlashGetLink, "Flashget://" + Base64Encode(framed)).value();
  };
  EXPECT_EQ(flashget(std::string(20, 'F')), "");
  EXPECT_EQ(flashget(std::string(10, 'F') + "X" + std::string(10, 'F')), "X");
  EXPECT_EQ(DecodeLink(kQqdlLink, "qqdl://YWJj\r\nZGVm"), "abcdef");
}

// Links as web pages publish them: a parameter after the Base64 part, text
// run into the link after its padding, punctuation and line breaks after it.
// None of it may reach the address.
TEST(DecodeLink, EndsTheBase64PartWhereRealPagesEndIt) {
  struct Case {
    const LinkFormat* format;
    std::string link;
    std::string address;
  };
  const std::string abc = "qqdl://aHR0cDovL2EvYWJj";  // http://a/abc
  const Case cases[] = {
      {&kQqdlLink, "qqdl://YWJj=Windows", "abc"},
      {&kQqdlLink, "qqdl://YWJj=", "abc"},
      {&kQqdlLink, "qqdl://YWI=Windows", "ab"},
      {&kQqdlLink, abc + ".", "http://a/abc"},
      {&kQqdlLink, abc + "\t", "http://a/abc"},
      {&kQqdlLink, abc + "\n", "http://a/abc"},
      {&kQqdlLink, abc + "\r\n", "http://a/abc"},
      {&kQqdlLink, abc + ")", "http://a/abc"},
      {&kQqdlLink, abc + "\xA3\xAC", "http://a/abc"},      // a full-width comma, GBK
      {&kQqdlLink, abc + "\xEF\xBC\x8C", "http://a/abc"},  // the same in UTF-8
      {&kQqdlLink, abc + "\"", "http://a/abc"},
      {&kThunderLink, "thunder://QUFodHRwOi8vYVpa==/", "http://a"},
      {&kThunderLink, "thunder://QUFmdHA6Ly9hL1pa&x=1&y", "ftp://a/"},
      {&kFlashGetLink, "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd&1926", "ftp://a/bc"},
      {&kQqdlLink, "qqdl://&ZnRw", ""},
      {&kQqdlLink, "qqdl://YWJj\nZGVm\n", "\x61\x62\x63\x29\x62\x63"},  // an inner LF still ends its group
      {&kQqdlLink, "qqdl://YW Jj\r\nZG\xA1\xA1Vm", "abcdef"},         // cleaned away inside
      // A percent-encoded Base64 part: %2B, %2F and %3D in either case.
      {&kQqdlLink, "qqdl://aHR0cDovL2Evfn5%2BPz4%2b", "http://a/~~~?>>"},
      {&kQqdlLink, "qqdl://aHR0cDovL2Evw7w%3D", "http://a/\xC3\xBC"},
      {&kThunderLink, "thunder://QUFodHRwOi8vYVpa%3d%3d/", "http://a"},
      {&kQqdlLink, "qqdl://aHR0cDovL2Evfn5%2BPz4%2B%", "http://a/~~~?>>"},  // an escape cut short
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeLink(*c.format, c.link), c.address) << testing::PrintToString(c.link);
}

// Every link the encoders write means what it meant, wrapped or not, with
// any of the endings above after it.
TEST(DecodeLink, WrittenLinksDecodeWholeWithAnyEndingAfterThem) {
  for (std::size_t size = 0; size < 200; size += 7) {
    const std::string address = "http://a/" + std::string(size, 'x') + "?" + std::string(size % 5, '=');
    for (const LinkFormat* format : kLinkFormats) {
      const Text link = EncodeLink(*format, address);
      for (const char* after : {"", "\r\n", ".", "&1926", "\xA3\xAC"}) {
        ASSERT_EQ(DecodeLink(*format, link + after), address) << link << after;
        ASSERT_EQ(DecodeLink(*format, ReplaceAll(link, "\r\n") + after), address) << link << after;
      }
    }
  }
}

TEST(Links, EveryAcceptedAddressDecodesBackToItself) {
  std::mt19937 random(1926);
  const char* prefixes[] = {"http://", "https://", "mms://", "ftp://", "rstp://"};
  const LinkFormat* formats[] = {&kThunderLink, &kFlashGetLink, &kQqdlLink};
  for (int round = 0; round < 3000; ++round) {
    std::string address = prefixes[random() % 5];
    const std::size_t extra = random() % (round % 50 == 0 ? 400 : 40);
    for (std::size_t i = 0; i < extra; ++i) address.push_back(static_cast<char>(1 + random() % 255));
    ASSERT_TRUE(CheckPlainAddress(address));
    for (const LinkFormat* format : formats) {
      const Text link = EncodeLink(*format, address);
      // "&" is no Base64 character, so no link is cut short.
      ASSERT_EQ(DecodeLink(*format, link), address) << testing::PrintToString(address);
    }
  }
}

// A window in memory: two boxes, message boxes recorded, and a queue of
// clicks that the pump runs, as the real window's pump would.
class MemoryWindow final : public Window {
 public:
  std::map<Control, Text> texts;
  std::vector<std::string> messages;
  std::vector<std::function<void()>> pendingClicks;
  int pumps = 0;

  Text GetControlText(Control c) override { return texts[c]; }
  void SetControlText(Control c, const Text& t) override {
    texts[c] = t;
    writes.push_back(t);
  }
  std::string GetControlCaption(Control c) override { return texts[c]; }
  void SetControlCaption(Control c, std::string_view utf8) override { texts[c] = utf8; }
  void PumpPendingMessages() override {
    ++pumps;
    auto clicks = std::move(pendingClicks);
    pendingClicks.clear();
    for (auto& click : clicks) click();
  }
  MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageStyle style) override {
    EXPECT_EQ(style, MessageStyle::OkError);
    messages.push_back(std::string(title) + "|" + std::string(text));
    return MessageAnswer::Ok;
  }
  std::vector<Text> writes;
};

using Conversion = void (*)(Window&);

TEST(Conversions, WrongFormShowsTheFormatErrorAndKeepsBothBoxes) {
  const std::pair<Conversion, const char*> cases[] = {
      {PlainToThunder, ""},          {PlainToFlashGet, "HTTP://a"},  {PlainToQqdl, "rtsp://a"},
      {ThunderToPlain, ""},          {FlashGetToPlain, "flashget://W0ZM"},
      {QqdlToPlain, "http://a"},
  };
  for (const auto& [convert, source] : cases) {
    MemoryWindow window;
    window.texts[Control::SourceBox] = source;
    window.texts[Control::ResultBox] = "earlier result";
    convert(window);
    EXPECT_EQ(window.messages, std::vector<std::string>{"错误|格式错误！请输入正确的地址！"}) << source;
    EXPECT_EQ(window.texts[Control::SourceBox], source);
    EXPECT_EQ(window.texts[Control::ResultBox], "earlier result");
  }
}

TEST(Conversions, ReplaceTheResultBoxAndLeaveTheSourceBox) {
  const std::tuple<Conversion, const char*, const char*> cases[] = {
      {PlainToThunder, "ftp://a/", "thunder://QUFmdHA6Ly9hL1pa"},
      {ThunderToPlain, "thunder://QUFmdHA6Ly9hL1pa", "ftp://a/"},
      {PlainToFlashGet, "ftp://a/bc", "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd"},
      {FlashGetToPlain, "Flashget://W0ZMQVNIR0VUXWZ0cDovL2EvYmNbRkxBU0hHRVRd", "ftp://a/bc"},
      {PlainToQqdl, "ftp://a/b", "qqdl://ZnRwOi8vYS9i"},
      {QqdlToPlain, "qqdl://ZnRwOi8vYS9i", "ftp://a/b"},
      {QqdlToPlain, "qqdl://", ""},  // the result box is emptied
  };
  for (const auto& [convert, source, result] : cases) {
    MemoryWindow window;
    window.texts[Control::SourceBox] = source;
    window.texts[Control::ResultBox] = "earlier result";
    convert(window);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.texts[Control::SourceBox], source);
    EXPECT_EQ(window.texts[Control::ResultBox], result);
  }
}

// A click during a long conversion runs to its end inside it; the conversion
// that started first writes the result box last, from the text it read.
TEST(Conversions, NestedClickFinishesFirstAndTheOuterConversionWritesLast) {
  MemoryWindow window;
  window.texts[Control::SourceBox] = "http://outer/" + std::string(200, 'o');
  window.pendingClicks.push_back([&] {
    window.texts[Control::SourceBox] = "ftp://a/";
    PlainToThunder(window);
  });
  PlainToQqdl(window);
  ASSERT_EQ(window.writes.size(), 2u);
  EXPECT_EQ(window.writes[0], "thunder://QUFmdHA6Ly9hL1pa");
  EXPECT_EQ(window.texts[Control::ResultBox],
            EncodeLink(kQqdlLink, "http://outer/" + std::string(200, 'o')));

  MemoryWindow decoding;
  decoding.texts[Control::SourceBox] = "qqdl://ZnRwOi8vYS9i";
  decoding.pendingClicks.push_back([&] { QqdlToPlain(decoding); });
  QqdlToPlain(decoding);
  EXPECT_EQ(decoding.writes, (std::vector<Text>{"ftp://a/b", "ftp://a/b"}));
}

// A long conversion lets the window in again and again, not only once.
TEST(Conversions, LongTextsKeepTheWindowResponsive) {
  MemoryWindow window;
  window.texts[Control::SourceBox] = "http://a/" + std::string(10 * kLinkPiece, 'x');
  PlainToThunder(window);
  EXPECT_GE(window.pumps, 10);
  window.texts[Control::SourceBox] = window.texts[Control::ResultBox];
  window.pumps = 0;
  ThunderToPlain(window);
  EXPECT_GE(window.pumps, 10);
  EXPECT_EQ(window.texts[Control::ResultBox], "http://a/" + std::string(10 * kLinkPiece, 'x'));
}

}  // namespace
}  // namespace zelvorn
