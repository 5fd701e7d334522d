// How a decoding command prints an address on a line of its own: as UTF-8
// text, or with --percent as one ASCII line with the address's exact bytes.
// An address that could break the line apart or steer the terminal (a
// control character), or whose bytes are no text, is refused, never printed.
#pragma once

#include <string>
#include <string_view>

namespace zelvorn {

enum class AddressCharset {
  Detect,  // UTF-8 as it stands, else GBK converted
  Gbk,     // --gbk: GBK converted, whatever else the bytes might read as
};

struct PrintedAddress {
  std::string_view line;   // without the line break
  std::string_view error;  // not empty: refused, and why
};

// The line is the address itself or, converted, kept in `storage`.
PrintedAddress AddressAsText(std::string_view address, AddressCharset charset, std::string& storage);

// Every byte that is not a printable ASCII character other than space, as
// %XX with upper-case hex digits; "%" itself stays, so existing escapes do.
void PercentEncode(std::string_view address, std::string& out);

}  // namespace zelvorn
