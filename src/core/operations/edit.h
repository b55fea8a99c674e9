#pragma once

#include <cstdint>
#include <string_view>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// The message for a value that is not a whole number (UTF-8).
inline constexpr std::string_view edit_invalid_value_text =
    "Недопустимые символы в поле 'изменить на'.   ";

struct edit_params {
  bool bits = false;      // writes one bit; otherwise one byte
  uint32_t position = 0;  // byte or bit index, from 0
  uint8_t value = 0;      // the byte; in bit mode non-zero sets the bit and 0 clears it
};

// Writes the value at the position of every packet in scope that is long enough for it (byte
// mode: more bytes than the position; bit mode: more bits). Such a packet counts as changed even
// when it held the value already; a shorter one stays as it is and is not counted. Lengths,
// numbers and colours stay.
//
// Counters: processed (packets visited, in scope or not) and changed. Stops before the next
// packet when run.running is cleared; the packets visited so far stay written.
void edit(PAKETS& store, const scope& s, edit_params params, pass& run);

// The value as the user types it: its low 8 bits (300 gives 44, -1 gives 255).
[[nodiscard]] constexpr uint8_t edit_value_of(int32_t typed) {
  return static_cast<uint8_t>(static_cast<uint32_t>(typed) & 0xFFu);
}
