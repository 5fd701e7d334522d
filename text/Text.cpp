#include "text/Text.h"

#include <algorithm>
#include <utility>

namespace zelvorn {
namespace {

bool IsLeadByte(unsigned char b) { return b >= 0x80; }

std::int32_t Length32(std::string_view text) {
  return static_cast<std::int32_t>(text.size());
}

}  // namespace

std::int32_t TextLength(std::string_view text) { return Length32(text); }

Text TextLeft(std::string_view text, std::int32_t n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(std::min(n, Length32(text)))));
}

Text TextRight(std::string_view text, std::int32_t n) {
  if (n <= 0) return {};
  const std::int32_t k = std::min(n, Length32(text));
  return Text(text.substr(text.size() - static_cast<std::size_t>(k)));
}

Text TextMid(std::string_view text, std::int32_t start, std::int32_t n) {
  const std::int64_t p = std::int64_t{start} - 1;  // start may be INT32_MIN
  const std::int64_t length = Length32(text);
  if (p < 0 || p >= length || n <= 0) return {};
  const std::int64_t count = std::min<std::int64_t>(n, length - p);
  return Text(text.substr(static_cast<std::size_t>(p), static_cast<std::size_t>(count)));
}

bool TextEquals(std::string_view a, std::string_view b) { return a == b; }

Text ConcatText(std::initializer_list<std::string_view> texts) {
  std::size_t total = 0;
  for (std::string_view t : texts) total += t.size();
  Text result;
  result.reserve(total);
  for (std::string_view t : texts) result.append(t);
  return result;
}

Bytes TextToBytes(std::string_view text) { return Bytes(text); }

Bytes TextToBytes(unsigned char byte) { return Bytes(1, static_cast<char>(byte)); }

Text BytesToText(std::string_view bytes) {
  return Text(bytes.substr(0, bytes.find('\0')));
}

Text BytesToText(Bytes&& bytes) {
  bytes.resize(std::min(bytes.find('\0'), bytes.size()));
  return std::move(bytes);
}

Text RemoveAllSpaces(std::string_view text) {
  Text result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (!IsLeadByte(b)) {
      if (b != 0x20) result.push_back(text[i]);
      i += 1;
    } else if (i + 1 == text.size()) {
      break;  // a lead byte without its second byte
    } else {
      const bool fullWidthSpace = b == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1;
      if (!fullWidthSpace) result.append(text.substr(i, 2));
      i += 2;
    }
  }
  return result;
}

Text ReplaceAll(std::string_view text, std::string_view find, std::string_view with) {
  if (text.empty() || find.empty()) return Text(text);
  Text result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (text.size() - i >= find.size()) {
    if (text.compare(i, find.size(), find) == 0) {
      result.append(with);
      i += find.size();
    } else if (!IsLeadByte(static_cast<unsigned char>(text[i]))) {
      result.push_back(text[i]);
      i += 1;
    } else if (i + 1 == text.size()) {
      return result;  // a lead byte without its second byte ends the scan
    } else {
      result.append(text.substr(i, 2));
      i += 2;
    }
  }
  result.append(text.substr(i));
  return result;
}

}  // namespace zelvorn
