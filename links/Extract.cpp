#include "links/Extract.h"

namespace zelvorn {

std::vector<ExtractedLink> ExtractLinks(std::string_view) { return {}; }

}  // namespace zelvorn
