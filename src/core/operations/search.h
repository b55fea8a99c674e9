#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// What a search pattern stands for.
enum class search_kind {
  text,  // bytes, one a character (Windows-1251), compared exactly
  bits,  // '0' and '1' characters: character i is the packet bit at offset i from the match start
};

// Where a search runs, as the dialog offers it.
enum class search_direction {
  all,   // the whole signal, from the first packet down
  down,  // from the packet after the current one down to the last
  up,    // from the packet before the current one up to the first
};

// The packets a search examines: from number `first` on, in ascending or descending numbers, to
// the last or the first packet. A `first` outside the store examines nothing.
struct search_range {
  int64_t first = 0;
  bool descending = false;
};

// The range of a direction when the grid's current row is `current_row` (row r shows packet
// r - 1, so "down" starts at packet r and "up" at packet r - 2). Find next is the "down" range.
[[nodiscard]] search_range range_of(search_direction direction, int64_t current_row);

struct search_params {
  search_kind kind = search_kind::text;
  // Text: the bytes to find. Binary: 1 to 32 characters '0' and '1'.
  std::string pattern;
  search_range range;
  // All matches: every matching packet of the range gets `colour`; otherwise the search stops at
  // the first matching packet.
  bool all_matches = false;
  uint32_t colour = 0x0000FF;
};

// A matching packet: its number and where the pattern starts in it (in bytes for text, in bits
// for a binary pattern).
struct search_hit {
  uint32_t packet = 0;
  uint32_t offset = 0;
  bool operator==(const search_hit&) const = default;
};

// The grid column (from 1) of the byte in which a match starts.
[[nodiscard]] constexpr uint32_t hit_column(search_kind kind, uint32_t offset) {
  return (kind == search_kind::text ? offset : offset / 8) + 1;
}

// The pattern's first match in one packet: the smallest offset, or nothing (also when the packet
// is shorter than the pattern). A match at offset 0 is a match.
[[nodiscard]] std::optional<uint32_t> match_offset(xpaket& p, search_kind kind,
                                                   std::string_view pattern);

// Examines the packets of the range in order. First-match mode returns the first matching packet
// and its offset, or nothing. All-matches mode colours every matching packet, calls `on_match`
// (when given) for each, and returns nothing. No counter is raised. Steps after every packet
// examined; stops before the next one when run.running is cleared. The pattern must have passed
// prepare_pattern.
std::optional<search_hit> search(PAKETS& store, const search_params& params, pass& run,
                                 const std::function<void(const search_hit&)>& on_match = {});

// What is wrong with a pattern, in the order the dialog checks it.
enum class pattern_problem { none, empty, too_long, invalid };

// The longest pattern, in characters.
inline constexpr size_t longest_pattern = 32;

// Characters of a UTF-8 text (bytes that do not continue a sequence).
[[nodiscard]] size_t utf8_length(std::string_view text);

// A pattern as the search takes it: for a text the Windows-1251 bytes, one a character; for a bit
// sequence the digits.
struct prepared_pattern {
  pattern_problem problem = pattern_problem::none;
  std::string pattern;  // when the problem is none
};

// Prepares the pattern the user typed (UTF-8), as the search dialog and pelorin-cli check it, in
// this order: empty; more than 32 characters (characters, whatever bytes they take); a character
// the code page lacks (text) or one that is not 0 or 1 (bits).
[[nodiscard]] prepared_pattern prepare_pattern(search_kind kind, std::string_view typed);

// The fixed messages, UTF-8.
[[nodiscard]] std::string_view pattern_problem_text(pattern_problem problem);
// "Не найдено: " + the pattern as typed (UTF-8) + ".   ".
[[nodiscard]] std::string not_found_text(std::string_view pattern_utf8);
