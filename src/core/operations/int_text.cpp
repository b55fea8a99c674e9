#include "core/operations/int_text.h"

#include <charconv>

std::optional<int32_t> parse_int32(std::string_view text) {
  const char* first = text.data();
  const char* last = first + text.size();
  // from_chars takes a minus sign but no plus sign.
  if (first != last && *first == '+') {
    ++first;
    if (first != last && *first == '-') return std::nullopt;
  }
  if (first == last) return std::nullopt;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc{} || end != last) return std::nullopt;
  return value;
}
