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

const cp1251_table& cp1251() {
  static const cp1251_table table;
  return table;
}

namespace {

// Bytes of the UTF-8 sequence that starts with `lead`; 0 for a byte that cannot start one.
size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

constexpr std::string_view replacement = "\xEF\xBF\xBD";

}  // namespace

std::optional<std::string> cp1251_table::encode(std::string_view utf8_text) const {
  std::string out;
  out.reserve(utf8_text.size());
  size_t at = 0;
  while (at < utf8_text.size()) {
    const size_t n = sequence_length(static_cast<unsigned char>(utf8_text[at]));
    if (n == 0 || at + n > utf8_text.size()) return std::nullopt;
    const std::string_view one = utf8_text.substr(at, n);
    if (one == replacement) return std::nullopt;
    bool found = false;
    for (int b = 0; b < 256 && !found; ++b) {
      if (chars_[static_cast<size_t>(b)] == one) {
        out.push_back(static_cast<char>(b));
        found = true;
      }
    }
    if (!found) return std::nullopt;
    at += n;
  }
  return out;
}
