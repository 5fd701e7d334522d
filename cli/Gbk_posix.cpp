#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "cli/Gbk.h"

namespace zelvorn {
namespace {

// One converter for each direction, opened once: a run may convert a
// million addresses.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Open()) iconv_close(cd_);
  }
  bool Open() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return cd_;
  }

 private:
  iconv_t cd_;
};

std::optional<std::string> Convert(const Converter& converter, std::string_view in) {
  if (!converter.Open()) return std::nullopt;
  const iconv_t cd = converter.Get();
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
  if (!ok) return std::nullopt;
  out.resize(done);
  return out;
}

// CP936 rather than GBK: it is Windows' code page 936, 0x80 for the euro sign
// included.
const Converter& ToGbk() {
  static const Converter converter("CP936", "UTF-8");
  return converter;
}

const Converter& FromGbk() {
  static const Converter converter("UTF-8", "CP936");
  return converter;
}

}  // namespace

bool GbkConverterAvailable() { return ToGbk().Open() && FromGbk().Open(); }

std::optional<std::string> Utf8ToGbk(std::string_view utf8) { return Convert(ToGbk(), utf8); }

std::optional<std::string> GbkToUtf8(std::string_view gbk) { return Convert(FromGbk(), gbk); }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

}  // namespace zelvorn
