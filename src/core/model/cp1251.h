#pragma once

#include <array>
#include <cstdint>
#include <string>

// The characters of the Windows-1251 code page as UTF-8, looked up once through iconv.
// A byte the code page leaves undefined (0x98) maps to U+FFFD.
class cp1251_table {
 public:
  cp1251_table();
  [[nodiscard]] const std::string& utf8(uint8_t b) const { return chars_[b]; }

 private:
  std::array<std::string, 256> chars_;
};
