#include "links/Links.h"

#include <array>

namespace zelvorn {

bool CheckPlainAddress(std::string_view source) {
  static constexpr std::array<std::string_view, 5> kAccepted = {
      "http://", "https://", "mms://", "ftp://", "rstp://"};
  for (std::string_view prefix : kAccepted) {
    if (TextEquals(TextLeft(source, TextLength(prefix)), prefix)) return true;
  }
  return false;
}

bool HasScheme(const LinkFormat& format, std::string_view text) {
  return TextEquals(TextLeft(text, TextLength(format.scheme)), format.scheme);
}

std::string_view LinkPayload(const LinkFormat& format, std::string_view link) {
  std::string_view payload = link.substr(format.scheme.size());
  return payload.substr(0, payload.find('&'));
}

}  // namespace zelvorn
