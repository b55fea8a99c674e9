// The condition list: any text is accepted exactly when the grammar below accepts it, read into the
// same conditions, or refused naming its first bad condition; every accepted list tests packets
// (partial last bytes included) as the conditions taken one by one do. Input: the text, a 0 byte,
// then packets (plain_model.h).
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/model/memory_budget.h"
#include "fuzz/plain_model.h"

namespace {

// A run of digits of `base` that makes all of `text`, as a value no larger than `largest`.
std::optional<uint32_t> number(std::string_view text, uint32_t base, uint64_t largest) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    if (digit >= base) return std::nullopt;
    value = std::min(value * base + digit, largest + 1);  // stays above `largest` once there
  }
  if (value > largest) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// condition := ("byte:" P ("=" | "!=" | "<=" | ">=") V) | ("bit:" P "=" V)
// P := decimal digits, 1 .. 2^32 - 1; V := decimal digits or "0x"/"0X" and hex digits, at most 255
// for a byte and 1 for a bit.
std::optional<xsort_clause> condition(std::string_view text) {
  xsort_clause c;
  if (text.substr(0, 5) == "byte:") {
    c.element = clause_element::byte;
    text.remove_prefix(5);
  } else if (text.substr(0, 4) == "bit:") {
    c.element = clause_element::bit;
    text.remove_prefix(4);
  } else {
    return std::nullopt;
  }
  const size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
  const std::optional<uint32_t> position = number(text.substr(0, digits), 10, 0xFFFFFFFFu);
  if (!position || *position == 0) return std::nullopt;
  c.position = *position;
  text.remove_prefix(digits);
  const std::pair<std::string_view, clause_operator> operators[] = {
      {"=", clause_operator::equal},
      {"!=", clause_operator::not_equal},
      {"<=", clause_operator::at_most},
      {">=", clause_operator::at_least},
  };
  const size_t offered = c.element == clause_element::bit ? 1 : 4;
  size_t chosen = offered;
  for (size_t i = 0; i < offered; ++i) {
    if (text.substr(0, operators[i].first.size()) == operators[i].first) chosen = i;
  }
  if (chosen == offered) return std::nullopt;
  c.op = operators[chosen].second;
  text.remove_prefix(operators[chosen].first.size());
  const uint32_t largest = c.element == clause_element::bit ? 1 : 255;
  const bool hex = text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X";
  const std::optional<uint32_t> value =
      hex ? number(text.substr(2), 16, largest) : number(text, 10, largest);
  if (!value) return std::nullopt;
  c.value = static_cast<uint8_t>(*value);
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  set_available_memory_for_testing(uint64_t{1} << 30);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* chars = reinterpret_cast<const char*>(data);
  const std::string_view text(chars, std::find(chars, chars + size, '\0') - chars);
  fuzz_input in(data, size);
  in.skip(text.size() + 1);

  // The list by the grammar: conditions separated by commas, the first bad one named.
  CLAUSES expected;
  std::optional<std::string_view> bad;
  for (std::string_view rest = text; !bad;) {
    const size_t comma = rest.find(',');
    const std::string_view one = rest.substr(0, comma);
    if (const std::optional<xsort_clause> c = condition(one)) {
      expected.push_back(*c);
    } else {
      bad = one;
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }

  const clauses_parse_result parsed = parse_clauses(text);
  if (bad) {
    FUZZ_CHECK(parsed.clauses.empty());
    const std::string named = "bad condition \"" + std::string(*bad) + "\": ";
    FUZZ_CHECK(parsed.error.size() > named.size() && parsed.error.starts_with(named));
    return 0;
  }
  FUZZ_CHECK(parsed.error.empty());
  FUZZ_CHECK(parsed.clauses == expected);

  PAKETS store;
  take_packets(in, store);
  const plain_store plain = plain_of(store);
  const clause_test ready(expected);
  for (const auto& [number, p] : store) {
    for (const xsort_clause& c : expected) {
      FUZZ_CHECK(clause_holds(*p, c) == plain_condition(plain[number], c));
    }
    const bool holds = plain_conditions(plain[number], expected);
    FUZZ_CHECK(meets_all(*p, expected) == holds);
    FUZZ_CHECK(ready(*p) == holds);
  }
  unload_store(store);
  return 0;
}
