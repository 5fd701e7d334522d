#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "cli/Gbk.h"

namespace zelvorn {
namespace {

// CP936 rather than GBK: it is Windows' code page 936, 0x80 for the euro sign
// included.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  std::size_t done = 0;
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = out.data() + done;
    std::size_t dstLeft = out.size() - done;
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    done = out.size() - dstLeft;
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno != E2BIG) {
      ok = false;  // an invalid or incomplete sequence
      break;
    }
    out.resize(out.size() * 2);
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(done);
  return out;
}

}  // namespace

bool GbkConverterAvailable() {
  static const bool available = [] {
    const iconv_t cd = iconv_open("CP936", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
  }();
  return available;
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  return Convert("CP936", "UTF-8", utf8);
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  return Convert("UTF-8", "CP936", gbk);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

}  // namespace zelvorn
