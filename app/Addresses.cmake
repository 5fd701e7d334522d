# The five hosts the program opens or asks, each scheme, host and optional
# port without a trailing slash. Distributors and tests set them here.
set(ZELVORN_FORUM_URL "http://bbs.zelvorn.example" CACHE STRING "The maker's forum: version file, download thread")
set(ZELVORN_SITE_URL "http://www.zelvorn.example" CACHE STRING "The maker's web site (the banner)")
set(ZELVORN_THUNDER_URL "http://www.xunlei.com" CACHE STRING "Thunder's home page")
set(ZELVORN_FLASHGET_URL "http://www.flashget.com" CACHE STRING "FlashGet's home page")
set(ZELVORN_QQDL_URL "http://xf.qq.com" CACHE STRING "QQ Whirlwind's home page")
foreach(url ZELVORN_FORUM_URL ZELVORN_SITE_URL ZELVORN_THUNDER_URL ZELVORN_FLASHGET_URL ZELVORN_QQDL_URL)
  if(${url} MATCHES "/$")
    message(FATAL_ERROR "${url} must not end with a slash: ${${url}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Addresses.h.in ${CMAKE_BINARY_DIR}/generated/app/Addresses.h @ONLY)
