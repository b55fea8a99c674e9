#include "core/model/cp1251.h"

#include <iconv.h>

cp1251_table::cp1251_table() {
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1251");
  for (int b = 0; b < 256; ++b) {
    std::string& out = chars_[b];
    if (b < 0x80 || cd == reinterpret_cast<iconv_t>(-1)) {
      out.assign(1, b < 0x80 ? static_cast<char>(b) : '?');
      continue;
    }
    char in[1] = {static_cast<char>(b)};
    char buffer[8] = {};
    char* in_ptr = in;
    char* out_ptr = buffer;
    size_t in_left = 1;
    size_t out_left = sizeof buffer;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) {
      out = "\xEF\xBF\xBD";
    } else {
      out.assign(buffer, static_cast<size_t>(out_ptr - buffer));
    }
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
}
