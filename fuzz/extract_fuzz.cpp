// Any bytes as a page to extract links from. Every link found must carry a
// text (non-empty, no zero byte), stand in order, and be found alone again in
// the text it takes; and a link the window writes, set between separators
// in the same bytes, must be found with its address.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "links/Extract.h"

namespace {

void Check(bool ok, const char* what, std::string_view text) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\ntext (%zu bytes):", what, text.size());
  for (const char c : text) std::fprintf(stderr, " %02X", static_cast<unsigned char>(c));
  std::fprintf(stderr, "\n");
  std::abort();
}

bool SameLetters(std::string_view text, std::string_view scheme) {
  const std::string_view letters = scheme.substr(0, scheme.find(':'));
  if (text.size() < letters.size()) return false;
  for (std::size_t i = 0; i < letters.size(); ++i) {
    if ((text[i] | 0x20) != (letters[i] | 0x20)) return false;
  }
  return true;
}

void CheckLinks(std::string_view text) {
  using namespace zelvorn;
  const std::vector<ExtractedLink> links = ExtractLinks(text);
  std::size_t previousEnd = 0;
  for (const ExtractedLink& link : links) {
    Check(!link.address.empty(), "empty address", text);
    Check(link.address.find('\0') == Text::npos, "zero byte in an address", text);
    Check(previousEnd <= link.begin && link.begin < link.end && link.end <= text.size(), "place", text);
    previousEnd = link.end;
    Check(SameLetters(text.substr(link.begin), link.format->scheme), "scheme at the link's place", text);
    const std::string_view alone = text.substr(link.begin, link.end - link.begin);
    const std::vector<ExtractedLink> again = ExtractLinks(alone);
    Check(again.size() == 1 && again[0].format == link.format && again[0].address == link.address &&
              again[0].end == alone.size(),
          "the link's own text gives the link", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvorn;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckLinks(input);

  // The input also gives a page with a written link in it: the first bytes
  // choose the format, the separators and where the input is cut into the
  // text before, the address and the text after.
  if (size < 4) return 0;
  static constexpr std::string_view kSeparators[] = {
      " ", "\t", "\n", "\r\n", "\"", "'", "<", ">", "(", ")", "[", "]", "|", ",", ".",
      "\xEF\xBC\x8C",  // full-width comma, UTF-8
      "\xA3\xAC",      // full-width comma, GBK
  };
  constexpr std::size_t kSeparatorCount = std::size(kSeparators);
  const LinkFormat& format = *kLinkFormats[data[0] % std::size(kLinkFormats)];
  const std::string_view before = kSeparators[data[1] % kSeparatorCount];
  const std::string_view after = kSeparators[data[1] / kSeparatorCount % kSeparatorCount];
  std::string_view rest = input.substr(4);
  const std::string_view prefix = rest.substr(0, data[2] % (rest.size() + 1));
  rest.remove_prefix(prefix.size());
  const std::string_view address = rest.substr(0, data[3] % (rest.size() + 1));
  const std::string_view suffix = rest.substr(address.size());
  const Text expected = BytesToText(address);
  if (expected.empty()) return 0;

  const Text link = EncodeLink(format, expected);
  const std::string page = std::string(prefix) + std::string(before) + link + std::string(after) + std::string(suffix);
  CheckLinks(page);
  const std::size_t at = prefix.size() + before.size();
  bool found = false;
  for (const ExtractedLink& l : ExtractLinks(page)) {
    found = found || (l.begin == at && l.format == &format && l.address == expected);
  }
  Check(found, "written link between separators", page);
  return 0;
}
