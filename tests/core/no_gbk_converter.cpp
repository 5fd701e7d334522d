// Preloaded into zelvorn-cli, stands in for a system without glibc's GBK
// converter (a minimal image without its gconv modules): every converter
// to or from code page 936 fails to open, all others open as usual.
#include <dlfcn.h>
#include <iconv.h>
#include <strings.h>

#include <cerrno>

extern "C" iconv_t iconv_open(const char* to, const char* from) {
  if (strcasecmp(to, "CP936") == 0 || strcasecmp(from, "CP936") == 0) {
    errno = EINVAL;
    return reinterpret_cast<iconv_t>(-1);
  }
  using Open = iconv_t (*)(const char*, const char*);
  static const auto real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "iconv_open"));
  return real(to, from);
}
