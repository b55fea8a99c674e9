#include "core/operations/search.h"

#include <cstring>
#include <iterator>

namespace {

// First offset of `pattern` in the n bytes at `data`.
std::optional<uint32_t> find_bytes(const uint8_t* data, uint32_t n, std::string_view pattern) {
  const size_t length = pattern.size();
  if (data == nullptr || length == 0 || n < length) return std::nullopt;
  const auto* needle = reinterpret_cast<const uint8_t*>(pattern.data());
  const uint8_t* const last = data + (n - length);  // the last place a match can start
  const uint8_t* at = data;
  while (at <= last) {
    const void* lead = std::memchr(at, needle[0], static_cast<size_t>(last - at) + 1);
    if (lead == nullptr) break;
    at = static_cast<const uint8_t*>(lead);
    if (std::memcmp(at + 1, needle + 1, length - 1) == 0) {
      return static_cast<uint32_t>(at - data);
    }
    ++at;
  }
  return std::nullopt;
}

// Examines one packet; true when the search is over (a first match was found).
bool examine(uint32_t number, xpaket& p, const search_params& params,
             const std::function<void(const search_hit&)>& on_match,
             std::optional<search_hit>& found) {
  const std::optional<uint32_t> offset = match_offset(p, params.kind, params.pattern);
  if (!offset) return false;
  if (!params.all_matches) {
    found = search_hit{number, *offset};
    return true;
  }
  p.colour = params.colour;
  if (on_match) on_match(search_hit{number, *offset});
  return false;
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
  if (kind == search_kind::text) return find_bytes(p.bytes(), p.byte_length(), pattern);
  const uint32_t at = p.find_pattern(pattern, 0);
  if (at == npos) return std::nullopt;
  return at;
}

std::optional<search_hit> search(PAKETS& store, const search_params& params, pass& run,
                                 const std::function<void(const search_hit&)>& on_match) {
  std::optional<search_hit> found;
  const search_range range = params.range;
  if (range.first < 0 || static_cast<uint64_t>(range.first) >= store.size()) return found;
  run.running = true;
  auto at = std::next(store.begin(), static_cast<std::ptrdiff_t>(range.first));
  if (range.descending) {
    while (run.running) {
      if (examine(at->first, *at->second, params, on_match, found)) break;
      run.step_progress();
      if (at == store.begin()) break;
      --at;
    }
  } else {
    for (; at != store.end() && run.running; ++at) {
      if (examine(at->first, *at->second, params, on_match, found)) break;
      run.step_progress();
    }
  }
  run.running = false;
  return found;
}

size_t utf8_length(std::string_view text) {
  size_t n = 0;
  for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

pattern_problem check_pattern(search_kind kind, std::string_view pattern) {
  if (pattern.empty()) return pattern_problem::empty;
  const size_t length = kind == search_kind::text ? pattern.size() : utf8_length(pattern);
  if (length > longest_pattern) return pattern_problem::too_long;
  if (kind == search_kind::bits && pattern.find_first_not_of("01") != std::string_view::npos) {
    return pattern_problem::invalid;
  }
  return pattern_problem::none;
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
