#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/paket.h"
#include "core/operations/clause.h"

// A list of conditions made ready for a pass over many packets: the same answer as meets_all,
// found with one length test and one table look-up per byte the conditions read.
class clause_test {
 public:
  explicit clause_test(const CLAUSES& clauses);

  [[nodiscard]] bool operator()(const xpaket& p) const {
    if (never_ || p.byte_length() < bytes_needed_ || p.bit_length() < bits_needed_) return false;
    const uint8_t* data = p.bytes();
    for (const byte_test& t : tests_) {
      if (!t.accepts[data[t.index]]) return false;
    }
    return true;
  }

 private:
  // The values that byte `index` may hold for every condition on it (or one of its bits) to hold.
  struct byte_test {
    uint32_t index = 0;
    std::array<bool, 256> accepts{};
  };

  bool never_ = false;         // a condition at position 0
  uint32_t bytes_needed_ = 0;  // the highest byte position of a byte condition
  uint32_t bits_needed_ = 0;   // the highest bit position of a bit condition
  std::vector<byte_test> tests_;
};

struct clauses_parse_result {
  CLAUSES clauses;
  std::string error;  // empty on success; otherwise names the bad condition and what is wrong
};

// Reads a comma-separated list of conditions, each one of
//   byte:P=V  byte:P!=V  byte:P<=V  byte:P>=V  bit:P=V
// with P a decimal position from 1 and V decimal or 0x hexadecimal (0..255 for bytes, 0 or 1 for
// bits). No blanks are allowed.
[[nodiscard]] clauses_parse_result parse_clauses(std::string_view text);
