#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "links/Extract.h"

namespace zelvorn {
namespace {

using namespace std::string_literals;

// (scheme, address) of every link found, in order.
using Found = std::vector<std::pair<std::string, std::string>>;

Found Addresses(std::string_view text) {
  Found found;
  for (const ExtractedLink& link : ExtractLinks(text)) found.emplace_back(link.format->scheme, link.address);
  return found;
}

const std::string kT = "thunder://", kF = "Flashget://", kQ = "qqdl://";

// Links with "/", "+" and padding in their Base64 text; the addresses are
// UTF-8 or GBK, as real pages carry them.
const std::string kMovieUtf8 = "http://a/\xE7\x94\xB5\xE5\xBD\xB1.mkv";  // 电影 in UTF-8
const std::string kMovieGbk = "http://a/\xB5\xE7\xD3\xB0.mkv";           // 电影 in GBK
const std::string kThunderUtf8 = "thunder://QUFodHRwOi8vYS/nlLXlvbEubWt2Wlo=";
const std::string kThunderGbk = "thunder://QUFodHRwOi8vYS+159OwLm1rdlpa";
const std::string kFlashGetUtf8 = "Flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hL+eUteW9sS5ta3ZbRkxBU0hHRVRd";
const std::string kQqdlTildes = "qqdl://aHR0cDovL2EvYn5+";  // http://a/b~~

struct Case {
  std::string text;
  Found found;
};

template <std::size_t N>
void ExpectAll(const Case (&cases)[N]) {
  for (const Case& c : cases) EXPECT_EQ(Addresses(c.text), c.found) << c.text;
}

TEST(ExtractLinks, BeginsAtItsSchemeInAnyCaseAndAnyEscapePagesUse) {
  const Found movie = {{kT, kMovieUtf8}};
  const Case cases[] = {
      {kThunderUtf8, movie},
      {"Thunder://QUFodHRwOi8vYS/nlLXlvbEubWt2Wlo=", movie},
      {"THUNDER://QUFodHRwOi8vYS/nlLXlvbEubWt2Wlo=", movie},
      {"flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hL+eUteW9sS5ta3ZbRkxBU0hHRVRd", {{kF, kMovieUtf8}}},
      {"FlashGet://W0ZMQVNIR0VUXWh0dHA6Ly9hL+eUteW9sS5ta3ZbRkxBU0hHRVRd", {{kF, kMovieUtf8}}},
      {"QQDL://aHR0cDovL2EvYn5+", {{kQ, "http://a/b~~"}}},
      // Right after other text.
      {"\xE7\xAC\xAC\xE4\xB8\x80\xE7\xA7\x8D" + kThunderGbk, {{kT, kMovieGbk}}},  // 第一种, UTF-8
      {"\xB5\xDA\xD2\xBB\xD6\xD6" + kThunderGbk, {{kT, kMovieGbk}}},              // 第一种, GBK
      {"$" + kThunderGbk, {{kT, kMovieGbk}}},
      {"var u='" + kQqdlTildes + "';", {{kQ, "http://a/b~~"}}},
      // Percent-encoded inside a URL, hex digits in either case, also
      // encoded twice (a redirect inside a redirect), and with "/" left as it
      // is (Python's quote).
      {"https://x/go?u=thunder%3A%2F%2FQUFodHRwOi8vYS%2FnlLXlvbEubWt2Wlo%3D&b=1", movie},
      {"https://x/go?u=thunder%3a%2f%2fQUFodHRwOi8vYS%2fnlLXlvbEubWt2Wlo%3d", movie},
      {"https://x/go?u=https%3A%2F%2Fy%2F%3Fl%3Dthunder%253A%252F%252FQUFodHRwOi8vYS%252FnlLXlvbEubWt2Wlo%253D%26c",
       movie},
      {"/go?u=thunder%3A//QUFodHRwOi8vYS/nlLXlvbEubWt2Wlo%3D", movie},
      {"/go?u=Flashget%3A%2F%2FW0ZMQVNIR0VUXWh0dHA6Ly9hL%2BeUteW9sS5ta3ZbRkxBU0hHRVRd", {{kF, kMovieUtf8}}},
      // JSON that escapes "/" (PHP), or writes \u002F; HTML character
      // references.
      {R"({"url":"thunder:\/\/QUFodHRwOi8vYS\/nlLXlvbEubWt2Wlo="})", movie},
      {R"({"url":"thunder:\u002F\u002fQUFodHRwOi8vYS\u002FnlLXlvbEubWt2Wlo\u003d"})", movie},
      {"<a href=\"thunder&#58;&#x2F;&#47;QUFodHRwOi8vYS&#x2f;nlLXlvbEubWt2Wlo&#61;\">", movie},
      {"<a href=\"qqdl&#x3A;&#0047;&#x002F;aHR0cDovL2EvYn5&#43;\">", {{kQ, "http://a/b~~"}}},
  };
  ExpectAll(cases);
}

TEST(ExtractLinks, OtherSchemesAndEmptyAddressesAreNoLinks) {
  const char* texts[] = {
      "thunderx://QUFodHRwOi8vYS9iLmlzb1pa",
      "thunder:/QUFodHRwOi8vYS9iLmlzb1pa",
      "thunder:QUFodHRwOi8vYS9iLmlzb1pa",
      "thunder//QUFodHRwOi8vYS9iLmlzb1pa",
      "thunder%3A%2FQUFodHRwOi8vYS9iLmlzb1pa",
      "thunder%3A%2F%2",
      "thunder:\\\\/QUFodHRwOi8vYS9iLmlzb1pa",
      "thunder&#58;&#47;&#4;QUFo",
      "thunder:&#xFFFFFFFF;&#47;QUFodHRwOi8vYS9iLmlzb1pa",
      "thunder:&#99999999;/QUFodHRwOi8vYS9iLmlzb1pa",
      "thunder:\\u002F\\u0000QUFodHRwOi8vYS9iLmlzb1pa",
      "qqdl%%3A//aHR0cDovL2EvYn5+",
      "ed2k://|file|a.iso|1|0123456789ABCDEF0123456789ABCDEF|/ magnet:?xt=urn:btih:0123",
      "http://a/b.iso https://a/thunder.exe ftp://a/flashget.zip",
      "thunder://",
      "\xE4\xBB\xA5thunder://\xE5\xBC\x80\xE5\xA4\xB4",  // 以thunder://开头
      "thunder://QUFa",                                   // "AAZ": nothing between the frames
      "Flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=",         // "[FLASHGET][FLASHGET]"
      "qqdl://==",
      "qqdl://AA==",  // a zero byte ends the address before it begins
      "qqdl:// aHR0cDovL2EvYn5+",
  };
  for (const char* text : texts) EXPECT_EQ(Addresses(text), Found{}) << text;
}

// The text the found link takes in `text`.
std::string LinkText(std::string_view text) {
  const auto links = ExtractLinks(text);
  if (links.size() != 1) return std::to_string(links.size()) + " links";
  return std::string(text.substr(links[0].begin, links[0].end - links[0].begin));
}

TEST(ExtractLinks, EndsWhereItsBase64EndsAndAfterItsPadding) {
  const std::pair<std::string, std::string> links[] = {
      {kQqdlTildes, "http://a/b~~"},
      {kThunderUtf8, kMovieUtf8},
      {"qqdl://aHR0cDovL2EvYi5pc28=", "http://a/b.iso"},
      {"qqdl://aHR0cDovL2EvP3g9MQ==", "http://a/?x=1"},
  };
  const std::string endings[] = {
      "", " Windows", "\tx", "\n", "\r\nx", "\r\n\r\nx", "\"", "'>", "<br>", ")", "]", ".", ",", ";", ":",
      "\xEF\xBC\x8C",  // ， in UTF-8
      "\xA3\xAC",      // ， in GBK
      "\xE3\x80\x80",  // full-width space, UTF-8
      "\xA1\xA1",      // full-width space, GBK
      "&amp;x=1", "&x=1", "&#38;x", "%26x", "%20x", "%", "%2", "\\\"", "\\u003c", "?x=1", "#x", "|", "-x", "_x",
  };
  for (const auto& [link, address] : links) {
    for (const std::string& ending : endings) {
      const std::string text = "(" + link + ending;
      EXPECT_EQ(Addresses(text), (Found{{link.substr(0, link.find(':') + 3), address}})) << text;
      EXPECT_EQ(LinkText(text), link) << text;
    }
  }
  // Text glued on after the padding, or a "/" after it in a Markdown target.
  EXPECT_EQ(LinkText("qqdl://aHR0cDovL2EvYi5pc28=Windows"), "qqdl://aHR0cDovL2EvYi5pc28=");
  EXPECT_EQ(LinkText("[a](" + kThunderUtf8 + "/)"), kThunderUtf8);
  EXPECT_EQ(LinkText("u=thunder%3A%2F%2FQUFodHRwOi8vYS%2FnlLXlvbEubWt2Wlo%3D%3D&b"),
            "thunder%3A%2F%2FQUFodHRwOi8vYS%2FnlLXlvbEubWt2Wlo%3D%3D");
  EXPECT_EQ(Addresses("qqdl://aHR0cDovL2EvYi5pc28=Windows"), (Found{{kQ, "http://a/b.iso"}}));
}

// The same long link as the window writes it (CR LF after every 76
// characters), with the line breaks a page turns them into.
TEST(ExtractLinks, WrappedLinkGoesOnAfterEveryWholeLine) {
  const std::string address = "http://host/" + std::string(200, 'x') + "/\xB5\xE7\xD3\xB0.mkv";
  for (const LinkFormat* format : kLinkFormats) {
    const std::string link = EncodeLink(*format, address);
    ASSERT_NE(link.find("\r\n"), std::string::npos);
    const std::string breaks[] = {"\r\n", "\n", "<br />\r\n", "<br>", "<BR/>\n", "\\r\\n", "%0D%0A", "\\n"};
    for (const std::string& lineBreak : breaks) {
      const std::string text = "see " + ReplaceAll(link, "\r\n", lineBreak) + " and more";
      EXPECT_EQ(Addresses(text), (Found{{std::string(format->scheme), address}})) << text;
    }
  }
}

TEST(ExtractLinks, LineBreakElsewhereEndsTheLink) {
  // Exactly one line of 76 characters, as the window writes it: the line
  // break after it goes on only into more Base64 text.
  const std::string qqdlLine = EncodeLink(kQqdlLink, "http://host/" + std::string(45, 'x'));
  const std::string thunderLine = EncodeLink(kThunderLink, "http://host/" + std::string(41, 'x'));
  ASSERT_EQ(qqdlLine.size(), 7u + 76 + 2);
  ASSERT_EQ(thunderLine.size(), 10u + 76 + 2);
  const std::pair<std::string, std::string> qqdlAddress = {kQ, "http://host/" + std::string(45, 'x')};
  const Found qqdlAlone = {qqdlAddress};
  const Case cases[] = {
      // Fewer characters than a whole line before the break.
      {kQqdlTildes + "\r\nQUFB", {{kQ, "http://a/b~~"}}},
      {kQqdlTildes + "\nQUFB", {{kQ, "http://a/b~~"}}},
      // A whole line, then no more Base64.
      {qqdlLine + "\r\n", qqdlAlone},
      {qqdlLine + "\xE4\xB8\x8B\xE8\xBD\xBD", qqdlAlone},
      {qqdlLine + " QUFB", qqdlAlone},
      {qqdlLine + "\rQUFB", qqdlAlone},
      // A whole line, then the next link or address on the next line.
      {qqdlLine + kQqdlTildes, {qqdlAddress, {kQ, "http://a/b~~"}}},
      {qqdlLine + "QQDL://aHR0cDovL2EvYn5+", {qqdlAddress, {kQ, "http://a/b~~"}}},
      {qqdlLine + "thunder%3A%2F%2FQUFodHRwOi8vYS%2FnlLXlvbEubWt2Wlo%3D", {qqdlAddress, {kT, kMovieUtf8}}},
      {qqdlLine + "http://a/b.iso", qqdlAlone},
      {thunderLine + kThunderGbk,
       Found{{kT, "http://host/" + std::string(41, 'x')}, {kT, kMovieGbk}}},
  };
  for (const Case& c : cases) EXPECT_EQ(Addresses(c.text), c.found) << c.text;
}

TEST(ExtractLinks, TextRunIntoAFramedLinkIsToldApartByItsFrame) {
  const Case cases[] = {
      // The canonical test matters: "...ZVpa" then "Wi" decodes to one more
      // "Z" ("...b.exeZZZ"), but "i" leaves bits set that no encoder writes.
      {"thunder://QUFodHRwOi8vYS9iLmV4ZVpaWindows", {{kT, "http://a/b.exe"}}},
      {kThunderGbk + "Windows" + "\xE7\x89\x88", {{kT, kMovieGbk}}},
      {kFlashGetUtf8 + "Setup", {{kF, kMovieUtf8}}},
      // The next link run into it.
      {kThunderGbk + kThunderUtf8, {{kT, kMovieGbk}, {kT, kMovieUtf8}}},
      {kFlashGetUtf8 + kQqdlTildes, {{kF, kMovieUtf8}, {kQ, "http://a/b~~"}}},
      // The frame of a wrapped link ends on its last line.
      {EncodeLink(kThunderLink, "http://host/" + std::string(41, 'x')) + "Windows",
       {{kT, "http://host/" + std::string(41, 'x')}}},
  };
  ExpectAll(cases);
  // With no part that ends with the frame, or no frame at all, the whole run
  // is the link, decoded as the window decodes it.
  for (const std::string& link : {"thunder://aHR0cDovL2EvYWJj"s, "thunder://QUFodHRwOi8vYS9iLmlzbw"s,
                                  "Flashget://aHR0cDovL2EvYWJjZGVmZ2hpamtsbW5vcHFyc3R1dnd4eXo"s,
                                  "qqdl://ZnRwOi8vYS9iSetup"s}) {
    const LinkFormat& format = link[0] == 't' ? kThunderLink : link[0] == 'F' ? kFlashGetLink : kQqdlLink;
    EXPECT_EQ(Addresses(link + " x"), (Found{{std::string(format.scheme), *DecodeLink(format, link)}})) << link;
    EXPECT_EQ(LinkText(link + " x"), link);
  }
}

TEST(ExtractLinks, DecodesAsTheWindowDoes) {
  // Damaged Base64, a zero byte inside, frames cut by position.
  const std::string links[] = {
      "qqdl://aHR0cDovL2EAYg==",       "qqdl://aHR0cDovL2EvYWJj",    "thunder://QUFodHRwOi8vYS9iLmlzb1p",
      "thunder://YWJjZGVm",            "Flashget://W0ZMQVNIR0VUXWE", "qqdl://a",
      "qqdl://aHR0cDovL2Ev1tDOxA==",
  };
  for (const std::string& link : links) {
    const LinkFormat& format = link[0] == 't' ? kThunderLink : link[0] == 'F' ? kFlashGetLink : kQqdlLink;
    const Text address = *DecodeLink(format, link);
    const Found expected = address.empty() ? Found{} : Found{{std::string(format.scheme), address}};
    EXPECT_EQ(Addresses(link), expected) << link;
  }
}

TEST(ExtractLinks, EveryLinkInOrderWithItsPlace) {
  const std::string text = "a " + kThunderUtf8 + " b " + kFlashGetUtf8 + "&c=1 " + kQqdlTildes + "\n" + kThunderUtf8;
  const auto links = ExtractLinks(text);
  ASSERT_EQ(links.size(), 4u);
  const std::string expected[] = {kThunderUtf8, kFlashGetUtf8, kQqdlTildes, kThunderUtf8};
  for (std::size_t i = 0; i < links.size(); ++i) {
    EXPECT_EQ(text.substr(links[i].begin, links[i].end - links[i].begin), expected[i]);
    if (i > 0) {
      EXPECT_LE(links[i - 1].end, links[i].begin);
    }
  }
  EXPECT_EQ(links[2].format, &kQqdlLink);
  EXPECT_EQ(links[2].address, "http://a/b~~");
}

// --- A page of links where real pages put them ---------------------------

std::string ReadFixture(const std::string& name) {
  const auto path = std::filesystem::path(__FILE__).parent_path() / "fixtures" / name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// The expected file: one link a line, its scheme, a space and its address,
// with %XX for every byte that is not printable ASCII (and for "%" itself);
// lines that begin with "#" are comments.
Found ReadExpected(const std::string& name) {
  Found found;
  const std::string text = ReadFixture(name);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (line.empty() || line[0] == '#') continue;
    const std::size_t space = line.find(' ');
    std::string address;
    for (std::size_t i = space + 1; i < line.size(); ++i) {
      if (line[i] == '%' && i + 2 < line.size()) {
        address += static_cast<char>(HexValue(line[i + 1]) * 16 + HexValue(line[i + 2]));
        i += 2;
      } else {
        address += line[i];
      }
    }
    found.emplace_back(line.substr(0, space), address);
  }
  return found;
}

TEST(ExtractLinks, FindsEveryLinkOfAPageInOrder) {
  for (const std::string page : {"page.html", "forum-gbk.txt"}) {
    const Found expected = ReadExpected(page + ".expected");
    ASSERT_FALSE(expected.empty()) << page;
    const Found found = Addresses(ReadFixture(page));
    ASSERT_EQ(found.size(), expected.size()) << page;
    for (std::size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i], expected[i]) << page << " link " << i + 1;
  }
}

// Shapes that would make a search that looks back, or again, take a time
// that grows with the square of the text: half a megabyte each.
TEST(ExtractLinks, LongTextsAreReadInOnePass) {
  const std::size_t n = 1 << 17;
  // One long run glued after a framed link, and a run without any frame.
  EXPECT_EQ(Addresses(kThunderGbk + std::string(4 * n, 'A')), (Found{{kT, kMovieGbk}}));
  EXPECT_EQ(ExtractLinks("thunder://" + std::string(4 * n, 'Q') + "thunder://").size(), 1u);
  // Whole lines of Base64 whose last line is an address of its own kind.
  std::string lines = "qqdl://";
  for (std::size_t i = 0; i < n / 77; ++i) lines += std::string(76, 'Q') + "\n";
  const auto wrapped = ExtractLinks(lines + "http://x/");
  ASSERT_EQ(wrapped.size(), 1u);
  EXPECT_EQ(wrapped[0].address.size(), n / 77 * 57);
  // Schemes without links, and links without end.
  std::string schemes;
  for (std::size_t i = 0; i < n / 8; ++i) schemes += "thunder:/qqdl%3A%2F%25%25Flashget&#58;\\";
  EXPECT_TRUE(ExtractLinks(schemes).empty());
  std::string many;
  for (std::size_t i = 0; i < n / 32; ++i) many += kQqdlTildes + " thunder:// ";
  EXPECT_EQ(ExtractLinks(many).size(), n / 32);
}

}  // namespace
}  // namespace zelvorn
