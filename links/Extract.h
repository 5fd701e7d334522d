// Finding the Thunder, FlashGet and QQ Whirlwind links in any text.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "links/Links.h"

namespace zelvorn {

struct ExtractedLink {
  const LinkFormat* format;
  Text address;  // the decoded address, never empty
  // Where the link stands in the text, as byte offsets: from the first letter
  // of its scheme to just after its Base64 text (its padding included).
  std::size_t begin = 0;
  std::size_t end = 0;
};

// Every link in the text, in the order found.
//
// A link begins at "thunder", "flashget" or "qqdl" in any letter case,
// wherever it stands, followed by "://". Its Base64 text runs to the first
// character that is neither in the alphabet nor "=", and ends after its
// padding. Pages write both parts in their own escapes, which are read as the
// characters they stand for: URL escapes (%3A, %2F, %2B, %3D, also escaped
// twice as %253A), JSON's \/ and \uXXXX, HTML's &#47; and &#x2F;. A line
// break (CR LF, LF or an HTML <br>) after a whole number of 76-character
// lines continues the link, as the window writes long links, unless the next
// line begins a text of its own kind ("http://..."). Thunder and FlashGet
// links end where their closing frame ends, when the page ran the next word
// into them. Each link is then decoded as the window decodes it; a link that
// carries an empty address is left out.
//
// Time is linear in the text's length.
std::vector<ExtractedLink> ExtractLinks(std::string_view text);

}  // namespace zelvorn
