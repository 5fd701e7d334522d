// Finding the Thunder, FlashGet and QQ Whirlwind links in any text.
#pragma once

#include <string_view>
#include <vector>

#include "links/Links.h"

namespace zelvorn {

struct ExtractedLink {
  const LinkFormat* format;
  Text address;  // the decoded address, never empty
};

// Every link in the text, in the order found.
std::vector<ExtractedLink> ExtractLinks(std::string_view text);

}  // namespace zelvorn
