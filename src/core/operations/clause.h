#pragma once

#include <cstdint>
#include <vector>

#include "core/model/paket.h"

// The conditions on a packet's contents, as a scope carries them; conditions.h makes them ready
// for a pass and reads them from text.

enum class clause_element : uint8_t { bit = 0, byte = 1 };

// Bit conditions only use `equal`; any value beyond `at_least` makes a condition that always holds.
enum class clause_operator : uint8_t { equal = 0, not_equal = 1, at_most = 2, at_least = 3 };

// One condition on a packet's contents: the byte or bit at `position` (counted from 1) compared
// with `value`. The packet must first be long enough (at least `position` bytes or bits); a
// condition at position 0 never holds.
struct xsort_clause {
  clause_element element = clause_element::byte;
  clause_operator op = clause_operator::equal;  // ignored by bit conditions
  uint32_t position = 1;
  uint8_t value = 0;  // 0..255 for bytes, 0 or 1 for bits

  friend bool operator==(const xsort_clause&, const xsort_clause&) = default;
};

// Conditions in the order of entry; a packet meets the list when it meets every one of them.
using CLAUSES = std::vector<xsort_clause>;

[[nodiscard]] bool clause_holds(const xpaket& p, const xsort_clause& c);

// Tests the conditions in list order and stops at the first that fails; an empty list always
// holds.
[[nodiscard]] bool meets_all(const xpaket& p, const CLAUSES& clauses);
