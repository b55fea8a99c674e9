#include "core/operations/search.h"

#include <iterator>

#include "core/model/byte_helpers.h"
#include "core/model/cp1251.h"
#include "core/operations/colour_pass.h"

namespace {

// The pattern's offset in a packet, npos for none.
uint32_t text_offset(const xpaket& p, std::string_view pattern) {
  return find_bytes({p.bytes(), p.byte_length()},
                    {reinterpret_cast<const uint8_t*>(pattern.data()), pattern.size()});
}

// Examines the packets of the range in order with `find` (the offset of the pattern in a packet,
// npos for none); see search().
template <typename Find>
std::optional<search_hit> walk(PAKETS& store, const search_params& params, pass& run,
                               const std::function<void(const search_hit&)>& on_match, Find find) {
  std::optional<search_hit> found;
  const search_range range = params.range;
  // Examines one packet; true when the search is over (a first match was found).
  auto examine = [&](uint32_t number, xpaket& p) {
    const uint32_t offset = find(p);
    if (offset == npos) return false;
    if (!params.all_matches) {
      found = search_hit{number, offset};
      return true;
    }
    recolour(p, number, params.colour, run.recorder);
    if (on_match) on_match(search_hit{number, offset});
    return false;
  };
  run.running = true;
  auto at = std::next(store.begin(), static_cast<std::ptrdiff_t>(range.first));
  if (range.descending) {
    while (run.running) {
      if (examine(at->first, *at->second)) break;
      run.step_progress();
      if (at == store.begin()) break;
      --at;
    }
  } else {
    for (; at != store.end() && run.running; ++at) {
      if (examine(at->first, *at->second)) break;
      run.step_progress();
    }
  }
  run.running = false;
  return found;
}

}  // namespace

search_range range_of(search_direction direction, int64_t current_row) {
  switch (direction) {
    case search_direction::down:
      return {current_row, false};
    case search_direction::up:
      return {current_row - 2, true};
    case search_direction::all:
      break;
  }
  return {0, false};
}

std::optional<uint32_t> match_offset(xpaket& p, search_kind kind, std::string_view pattern) {
  const uint32_t at =
      kind == search_kind::text ? text_offset(p, pattern) : p.find_pattern(pattern, 0);
  if (at == npos) return std::nullopt;
  return at;
}

std::optional<search_hit> search(PAKETS& store, const search_params& params, pass& run,
                                 const std::function<void(const search_hit&)>& on_match) {
  const search_range range = params.range;
  if (range.first < 0 || static_cast<uint64_t>(range.first) >= store.size()) return std::nullopt;
  const std::string_view pattern = params.pattern;
  if (params.kind == search_kind::text) {
    return walk(store, params, run, on_match,
                [pattern](const xpaket& p) { return text_offset(p, pattern); });
  }
  return walk(store, params, run, on_match,
              [pattern](xpaket& p) { return p.find_pattern(pattern, 0); });
}

size_t utf8_length(std::string_view text) {
  size_t n = 0;
  for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

prepared_pattern prepare_pattern(search_kind kind, std::string_view typed) {
  if (typed.empty()) return {pattern_problem::empty, {}};
  if (utf8_length(typed) > longest_pattern) return {pattern_problem::too_long, {}};
  if (kind == search_kind::bits) {
    if (typed.find_first_not_of("01") != std::string_view::npos) {
      return {pattern_problem::invalid, {}};
    }
    return {pattern_problem::none, std::string(typed)};
  }
  // One byte a character, in the code page the grid's text view shows. A character the code page
  // lacks would be searched as some other byte: it is refused instead.
  std::optional<std::string> bytes = cp1251().encode(typed);
  if (!bytes) return {pattern_problem::invalid, {}};
  return {pattern_problem::none, std::move(*bytes)};
}

std::string_view pattern_problem_text(pattern_problem problem) {
  switch (problem) {
    case pattern_problem::empty:
      return "Необходимо значение в поле 'искать...'.   ";
    case pattern_problem::too_long:
      return "Значение в поле 'искать...' не более 32 символов.   ";
    case pattern_problem::invalid:
      return "Недопустимые символы в поле 'искать...'.   ";
    case pattern_problem::none:
      break;
  }
  return {};
}

std::string not_found_text(std::string_view pattern_utf8) {
  return "Не найдено: " + std::string(pattern_utf8) + ".   ";
}
