#include "links/Extract.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

namespace zelvorn {
namespace {

// The Base64 characters of a link that the window writes on one line.
constexpr std::size_t kLineCharacters = 76;

// How often a URL escape may itself be escaped (%25 for its "%"): a link in
// a URL in a URL in a URL.
constexpr int kEscapeLevels = 4;

constexpr std::size_t kNone = std::string_view::npos;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One character of a link as a page writes it: the byte itself, or one of
// the escapes that web pages, URLs and JSON write a link's characters in.
// `size` is the number of bytes it takes in the text, 0 at the text's end.
struct Unit {
  char c;
  std::size_t size;
};

// "%XX", also escaped again as "%25XX" (and so on), for the byte XX.
Unit ReadPercent(std::string_view text, std::size_t at) {
  std::size_t next = at + 1;
  int value = -1;
  for (int level = 0; level < kEscapeLevels && next + 2 <= text.size(); ++level) {
    const int high = HexDigit(text[next]);
    const int low = HexDigit(text[next + 1]);
    if (high < 0 || low < 0) break;
    value = high * 16 + low;
    next += 2;
    if (value != '%') break;
  }
  if (value < 0 || value == '%') return {'%', 1};
  return {static_cast<char>(value), next - at};
}

// JSON's "\/" (PHP writes every "/" so), "\r", "\n" and "\uXXXX" for an
// ASCII character.
Unit ReadBackslash(std::string_view text, std::size_t at) {
  if (at + 1 < text.size()) {
    switch (text[at + 1]) {
      case '/': return {'/', 2};
      case 'r': return {'\r', 2};
      case 'n': return {'\n', 2};
      case 'u': {
        if (at + 6 > text.size()) break;
        int value = 0;
        for (std::size_t i = at + 2; i < at + 6 && value >= 0; ++i) {
          const int digit = HexDigit(text[i]);
          value = digit < 0 ? -1 : value * 16 + digit;
        }
        if (value > 0 && value < 0x80) return {static_cast<char>(value), 6};
        break;
      }
      default: break;
    }
  }
  return {'\\', 1};
}

// HTML's numeric character references, "&#47;" and "&#x2F;", for an ASCII
// character. Any other "&" stands for itself, and so ends a link ("&amp;").
Unit ReadReference(std::string_view text, std::size_t at) {
  std::size_t i = at + 1;
  if (i >= text.size() || text[i] != '#') return {'&', 1};
  ++i;
  const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
  if (hex) ++i;
  const std::size_t digitsBegin = i;
  std::uint32_t value = 0;
  // A few digits say every ASCII character, leading zeros included.
  while (i < text.size() && i - digitsBegin < 8 && (hex ? HexDigit(text[i]) >= 0 : IsDigit(text[i]))) {
    value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(HexDigit(text[i]));
    ++i;
  }
  if (i == digitsBegin || i >= text.size() || text[i] != ';' || value == 0 || value >= 0x80) return {'&', 1};
  return {static_cast<char>(value), i + 1 - at};
}

Unit ReadUnit(std::string_view text, std::size_t at) {
  if (at >= text.size()) return {'\0', 0};
  switch (text[at]) {
    case '%': return ReadPercent(text, at);
    case '\\': return ReadBackslash(text, at);
    case '&': return ReadReference(text, at);
    default: return {text[at], 1};
  }
}

bool IsAlphabetUnit(const Unit& unit) { return unit.size > 0 && IsBase64Character(unit.c); }

// --- Schemes ------------------------------------------------------------------

struct Scheme {
  std::string_view letters;  // lower case
  const LinkFormat* format;
};

constexpr Scheme kSchemes[] = {
    {"thunder", &kThunderLink},
    {"flashget", &kFlashGetLink},
    {"qqdl", &kQqdlLink},
};

constexpr std::array<bool, 256> MakeSchemeStarts() {
  std::array<bool, 256> starts{};
  for (const Scheme& scheme : kSchemes) {
    const auto first = static_cast<unsigned char>(scheme.letters[0]);
    starts[first] = true;
    starts[first - 'a' + 'A'] = true;
  }
  return starts;
}
constexpr std::array<bool, 256> kSchemeStarts = MakeSchemeStarts();

struct SchemeMatch {
  const LinkFormat* format;
  std::size_t end;  // where the Base64 text begins
};

// The scheme's letters in any case, then "://" in any of the escapes.
std::optional<SchemeMatch> MatchScheme(std::string_view text, std::size_t at) {
  for (const Scheme& scheme : kSchemes) {
    const std::string_view letters = scheme.letters;
    if (text.size() - at < letters.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < letters.size() && same; ++i) same = (text[at + i] | 0x20) == letters[i];
    if (!same) continue;
    std::size_t next = at + letters.size();
    for (const char expected : std::string_view("://")) {
      const Unit unit = ReadUnit(text, next);
      if (unit.size == 0 || unit.c != expected) return std::nullopt;
      next += unit.size;
    }
    return SchemeMatch{scheme.format, next};
  }
  return std::nullopt;
}

// --- The Base64 text of a link ----------------------------------------------

// The end of a line break at `at`: CR LF or LF (also escaped), or an HTML
// <br>, <br/> or <br /> with or without a CR LF or LF after it. kNone when
// there is none.
std::size_t LineBreakEnd(std::string_view text, std::size_t at) {
  const auto newline = [&](std::size_t from) -> std::size_t {
    const Unit first = ReadUnit(text, from);
    if (first.size == 0) return kNone;
    if (first.c == '\n') return from + first.size;
    if (first.c != '\r') return kNone;
    const Unit second = ReadUnit(text, from + first.size);
    return second.size > 0 && second.c == '\n' ? from + first.size + second.size : kNone;
  };
  if (const std::size_t end = newline(at); end != kNone) return end;
  if (text.size() - at < 4 || text[at] != '<' || (text[at + 1] | 0x20) != 'b' || (text[at + 2] | 0x20) != 'r')
    return kNone;
  std::size_t i = at + 3;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text[i] == '/') ++i;
  if (i >= text.size() || text[i] != '>') return kNone;
  ++i;
  const std::size_t end = newline(i);
  return end != kNone ? end : i;
}

// True when the Base64 text of a wrapped link goes on at `at`: there are
// alphabet characters, and they are not the letters of a scheme, as in a
// next line that begins "qqdl://" or "http://".
bool ContinuesAt(std::string_view text, std::size_t at) {
  Unit unit = ReadUnit(text, at);
  if (!IsAlphabetUnit(unit)) return false;
  while (IsAlphabetUnit(unit)) {
    at += unit.size;
    unit = ReadUnit(text, at);
  }
  return !(unit.size > 0 && unit.c == ':');
}

// Reads the alphabet characters of a link's Base64 text, one at a time.
class Base64Run {
 public:
  Base64Run(std::string_view text, std::size_t begin) : text_(text), at_(begin) {}

  // The next character, or false at the run's end.
  bool Next(char& c) {
    Unit unit = ReadUnit(text_, at_);
    if (!IsAlphabetUnit(unit)) {
      if (count_ == 0 || count_ % kLineCharacters != 0) return false;
      const std::size_t after = LineBreakEnd(text_, at_);
      if (after == kNone || !ContinuesAt(text_, after)) return false;
      at_ = after;
      unit = ReadUnit(text_, at_);
    }
    c = unit.c;
    at_ += unit.size;
    ++count_;
    return true;
  }

  // Just after the last character read.
  std::size_t Position() const { return at_; }

  // Just after the padding that follows the last character read, if any.
  std::size_t PaddingEnd() const {
    std::size_t at = at_;
    for (Unit unit = ReadUnit(text_, at); unit.size > 0 && unit.c == '='; unit = ReadUnit(text_, at)) at += unit.size;
    return at;
  }

 private:
  std::string_view text_;
  std::size_t at_;
  std::size_t count_ = 0;
};

// Follows the bytes that each leading part of a run decodes to, and tells
// whether the part is canonical Base64 (no lone last character, the unused
// low bits of a last group of two or three characters zero) whose bytes end
// with the closing frame. A page that runs the next word into a link
// ("...ZVpaWindows") leaves such a part before the word; the canonical test
// keeps "Wi" after "...ZVpa" from passing for one more "Z".
class FrameEnd {
 public:
  explicit FrameEnd(std::string_view frame) : frame_(frame) {}

  bool Push(char c) {
    const unsigned value = kBase64Values[static_cast<unsigned char>(c)];
    unsigned byte = 0;
    bool canonical = true;
    switch (characters_++ % 4) {
      case 0:
        previous_ = value;
        return false;
      case 1:
        byte = (previous_ << 2) | (value >> 4);
        canonical = (value & 15) == 0;
        break;
      case 2:
        byte = ((previous_ & 15) << 4) | (value >> 2);
        canonical = (value & 3) == 0;
        break;
      default:
        byte = ((previous_ & 3) << 6) | value;
        break;
    }
    previous_ = value;
    if (filled_ == tail_.size()) {  // keep the last bytes, as many as the frame has
      std::memmove(tail_.data(), tail_.data() + filled_ - frame_.size(), frame_.size());
      filled_ = frame_.size();
    }
    tail_[filled_++] = static_cast<char>(byte);
    ++bytes_;
    return canonical && bytes_ >= frame_.size() && tail_[filled_ - 1] == frame_.back() &&
           std::memcmp(tail_.data() + filled_ - frame_.size(), frame_.data(), frame_.size()) == 0;
  }

 private:
  std::string_view frame_;
  std::size_t characters_ = 0;
  std::size_t bytes_ = 0;
  unsigned previous_ = 0;
  std::array<char, 64> tail_{};
  std::size_t filled_ = 0;
};

// Hands the characters to the window's decoder in pieces.
class Decoding {
 public:
  explicit Decoding(const LinkFormat& format) : decoder_(format) {}

  void Push(char c) {
    piece_[filled_++] = c;
    if (filled_ == piece_.size()) Flush();
  }

  Text Finish() {
    Flush();
    decoder_.Finish(append_);
    return std::move(address_);
  }

 private:
  void Flush() {
    decoder_.Feed(std::string_view(piece_.data(), filled_), append_);
    filled_ = 0;
  }

  Text address_;
  WritePiece append_ = [this](std::string_view piece) {
    address_.append(piece);
    return true;
  };
  LinkDecoder decoder_;
  std::array<char, 4096> piece_{};
  std::size_t filled_ = 0;
};

struct FoundLink {
  Text address;
  std::size_t end;
};

// Reads and decodes the link whose Base64 text begins at `begin`.
FoundLink ReadLink(const LinkFormat& format, std::string_view text, std::size_t begin) {
  const std::string_view frame = format.frameAfter;
  Decoding whole(format);
  std::optional<FrameEnd> frameEnd;
  if (!frame.empty()) frameEnd.emplace(frame);
  Base64Run run(text, begin);
  std::size_t count = 0, framed = 0, framedEnd = begin;
  for (char c; run.Next(c);) {
    whole.Push(c);
    ++count;
    if (frameEnd && frameEnd->Push(c)) {
      framed = count;
      framedEnd = run.Position();
    }
  }
  if (framed == 0 || framed == count) return {whole.Finish(), run.PaddingEnd()};
  // Text was run into the link after its frame: only the framed part is the
  // link, read again.
  Decoding part(format);
  Base64Run again(text, begin);
  char c;
  for (std::size_t i = 0; i < framed && again.Next(c); ++i) part.Push(c);
  return {part.Finish(), framedEnd};
}

}  // namespace

std::vector<ExtractedLink> ExtractLinks(std::string_view text) {
  std::vector<ExtractedLink> links;
  std::size_t at = 0;
  while (at < text.size()) {
    if (!kSchemeStarts[static_cast<unsigned char>(text[at])]) {
      ++at;
      continue;
    }
    const std::optional<SchemeMatch> scheme = MatchScheme(text, at);
    if (!scheme) {
      ++at;
      continue;
    }
    FoundLink found = ReadLink(*scheme->format, text, scheme->end);
    if (!found.address.empty()) links.push_back({scheme->format, std::move(found.address), at, found.end});
    // Whatever the link left unread may hold the next one: text run into a
    // Thunder link may end in "thunder" ("...ZVpathunder://...").
    at = std::max(found.end, scheme->end);
  }
  return links;
}

}  // namespace zelvorn
