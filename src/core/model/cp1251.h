#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The characters of the Windows-1251 code page as UTF-8, looked up once through iconv.
// A byte the code page leaves undefined (0x98) maps to U+FFFD. The program has one table,
// cp1251(), for the grid, the search and pelorin-cli.
class cp1251_table {
 public:
  cp1251_table();
  [[nodiscard]] const std::string& utf8(uint8_t b) const { return chars_[b]; }
  // The other way: UTF-8 text as Windows-1251 bytes, one byte a character; nothing when the text
  // is not valid UTF-8 or holds a character the code page does not have.
  [[nodiscard]] std::optional<std::string> encode(std::string_view utf8_text) const;

 private:
  std::array<std::string, 256> chars_;
};

// The program's table, made on first use.
[[nodiscard]] const cp1251_table& cp1251();
