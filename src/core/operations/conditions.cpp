#include "core/operations/conditions.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

// Whether condition `c` holds on a packet long enough for it whose byte at the condition's place
// (the byte that holds its bit, for a bit condition) is `d`.
bool holds_on_byte(const xsort_clause& c, uint8_t d) {
  if (c.element == clause_element::bit) return ((d >> ((c.position - 1) & 7)) & 1) == c.value;
  switch (c.op) {
    case clause_operator::equal:
      return d == c.value;
    case clause_operator::not_equal:
      return d != c.value;
    case clause_operator::at_most:
      return d <= c.value;
    case clause_operator::at_least:
      return d >= c.value;
  }
  return true;
}

}  // namespace

bool clause_holds(const xpaket& p, const xsort_clause& c) {
  if (c.position == 0) return false;
  const uint32_t index = c.position - 1;
  // Inside the packet: its buffer is read directly, without the bounds-checked accessors.
  if (c.element == clause_element::bit) {
    if (c.position > p.bit_length()) return false;
    return holds_on_byte(c, p.bytes()[index >> 3]);
  }
  if (c.position > p.byte_length()) return false;
  return holds_on_byte(c, p.bytes()[index]);
}

bool meets_all(const xpaket& p, const CLAUSES& clauses) {
  for (const xsort_clause& c : clauses) {
    if (!clause_holds(p, c)) return false;
  }
  return true;
}

clause_test::clause_test(const CLAUSES& clauses) {
  // The conditions ordered by the byte they read, so that those on one byte come together: the
  // build takes O(n log n) for n conditions, however many bytes they name.
  struct on_byte {
    uint32_t index;
    const xsort_clause* clause;
  };
  std::vector<on_byte> order;
  order.reserve(clauses.size());
  for (const xsort_clause& c : clauses) {
    if (c.position == 0) {
      never_ = true;
      continue;
    }
    const bool bit = c.element == clause_element::bit;
    uint32_t& needed = bit ? bits_needed_ : bytes_needed_;
    needed = std::max(needed, c.position);
    order.push_back({bit ? (c.position - 1) >> 3 : c.position - 1, &c});
  }
  std::sort(order.begin(), order.end(),
            [](const on_byte& a, const on_byte& b) { return a.index < b.index; });
  for (const on_byte& o : order) {
    if (tests_.empty() || tests_.back().index != o.index) {
      tests_.push_back(byte_test{o.index, {}});
      tests_.back().accepts.fill(true);
    }
    // A packet long enough for the condition meets it exactly when clause_holds says so; the
    // bytes are tried through it, on a packet of the needed length.
    std::array<bool, 256>& accepts = tests_.back().accepts;
    for (unsigned value = 0; value < 256; ++value) {
      accepts[value] = accepts[value] && holds_on_byte(*o.clause, static_cast<uint8_t>(value));
    }
  }
}

namespace {

template <typename T>
std::optional<T> whole_number(std::string_view text, int base) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Decimal, or hexadecimal after 0x; digits only (unsigned parsing takes no sign).
std::optional<uint32_t> clause_value(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) {
    return whole_number<uint32_t>(text.substr(2), 16);
  }
  return whole_number<uint32_t>(text, 10);
}

struct operator_text {
  std::string_view text;
  clause_operator op;
};

// Two-character operators first, so that "<=" is not read as "<" followed by "=".
constexpr operator_text operator_texts[] = {
    {"!=", clause_operator::not_equal},
    {"<=", clause_operator::at_most},
    {">=", clause_operator::at_least},
    {"=", clause_operator::equal},
};

// Reads one condition into `c`; returns what is wrong with it, or an empty text.
std::string parse_clause(std::string_view text, xsort_clause& c) {
  if (text.empty()) return "empty";
  if (text.starts_with("byte:")) {
    c.element = clause_element::byte;
    text.remove_prefix(5);
  } else if (text.starts_with("bit:")) {
    c.element = clause_element::bit;
    text.remove_prefix(4);
  } else {
    return "expected byte: or bit:";
  }
  const std::size_t op_at = text.find_first_of("!<>=");
  if (op_at == std::string_view::npos) return "expected an operator (=, !=, <=, >=)";
  const std::optional<uint32_t> position = whole_number<uint32_t>(text.substr(0, op_at), 10);
  if (!position) return "bad position";
  if (*position == 0) return "positions count from 1";
  c.position = *position;
  text.remove_prefix(op_at);
  const operator_text* found = nullptr;
  for (const operator_text& o : operator_texts) {
    if (text.starts_with(o.text)) {
      found = &o;
      break;
    }
  }
  if (found == nullptr) return "expected an operator (=, !=, <=, >=)";
  if (c.element == clause_element::bit && found->op != clause_operator::equal) {
    return "a bit condition only takes =";
  }
  c.op = found->op;
  text.remove_prefix(found->text.size());
  const std::optional<uint32_t> value = clause_value(text);
  const uint32_t largest = c.element == clause_element::bit ? 1 : 255;
  if (!value || *value > largest) {
    return c.element == clause_element::bit ? "a bit value is 0 or 1" : "a byte value is 0..255";
  }
  c.value = static_cast<uint8_t>(*value);
  return {};
}

}  // namespace

clauses_parse_result parse_clauses(std::string_view text) {
  clauses_parse_result result;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view one = text.substr(0, comma);
    xsort_clause c;
    if (std::string problem = parse_clause(one, c); !problem.empty()) {
      result.clauses.clear();
      result.error = "bad condition \"" + std::string(one) + "\": " + problem;
      return result;
    }
    result.clauses.push_back(c);
    if (comma == std::string_view::npos) return result;
    text.remove_prefix(comma + 1);
  }
}
