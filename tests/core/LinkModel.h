// The link formats written straight from the codec and the text operations
// on the whole text: what the piecewise conversions must equal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "links/Links.h"

namespace zelvorn::model {

inline Text Link(const LinkFormat& format, std::string_view address) {
  return std::string(format.scheme) + Base64Encode(ConcatText({format.frameBefore, address, format.frameAfter}));
}

// The Base64 part of what follows the scheme, its %2B, %2F and %3D read as
// "+", "/" and "=": up to its first "&" or "=", and through its last
// alphabet character.
inline Text Base64Part(std::string_view escaped) {
  std::string text(escaped);
  for (const auto& [escape, c] : {std::pair{"%2B", "+"}, {"%2b", "+"}, {"%2F", "/"}, {"%2f", "/"}, {"%3D", "="}, {"%3d", "="}}) {
    for (std::size_t at = 0; (at = text.find(escape, at)) != std::string::npos;) text.replace(at, 3, c);
  }
  std::string_view afterScheme = text;
  afterScheme = afterScheme.substr(0, afterScheme.find_first_of("&="));
  std::size_t end = afterScheme.size();
  while (end > 0 && Base64Alphabet.find(afterScheme[end - 1]) == std::string_view::npos) --end;
  return Text(afterScheme.substr(0, end));
}

// The Base64 part decoded, ended at a zero byte, the frame cut by position.
inline Text Address(const LinkFormat& format, std::string_view link) {
  Text part = Base64Part(link.substr(format.scheme.size()));
  const Text decoded = BytesToText(Base64Decode(part));
  const auto before = static_cast<std::int32_t>(format.frameBefore.size());
  const auto after = static_cast<std::int32_t>(format.frameAfter.size());
  if (before == 0 && after == 0) return decoded;
  return TextMid(decoded, before + 1, TextLength(decoded) - before - after);
}

}  // namespace zelvorn::model
