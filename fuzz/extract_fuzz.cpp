// Any bytes as a page to extract links from.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "links/Extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvorn::ExtractLinks(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
