#pragma once

#include <cstdint>
#include <string_view>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// The messages for a fill value that is not a number within 0..255 and for a target that is not a
// number (UTF-8), shown by the dialog and by the command line alike.
inline constexpr std::string_view fill_invalid_value_text =
    "Недопустимые символы в поле 'символ-заполнитель'.   ";
inline constexpr std::string_view fill_invalid_target_text =
    "Недопустимые символы в поле 'дополнение до...'.   ";

struct fill_params {
  bool longest = true;  // the target is the byte length of the longest packet of the whole store
  int32_t target = 0;   // target length in bytes when not `longest`
  uint8_t value = 0;    // what the added bytes hold
};

// Pads every packet in scope that holds fewer bytes than the target to exactly 8 x target bits:
// the old bytes stay (the unused bits of a partial last byte too, which become part of the
// packet), the added bytes take the fill value. Packets of the target length or longer are not
// touched, whatever their bit length. In the longest mode the target is found first over every
// packet of the store, in scope or not. A target of 0 or less pads nothing.
//
// Counters: processed (packets visited, in scope or not) and changed (packets padded); the
// modified flag stays clear. Stops before the next packet when run.running is cleared; the
// packets visited so far stay padded. Returns false when a packet in scope could not be padded (a
// target longer than a packet can be, or memory running out): the pass stops at that packet,
// which stays as it was and is not counted; the packets before it stay padded. Callers ask
// fill_fits_memory first.
bool fill(PAKETS& store, const scope& s, fill_params params, pass& run);

// The length in bytes the fill pads to: the longest packet's in the longest mode.
[[nodiscard]] int64_t fill_target(const PAKETS& store, fill_params params);

// Bytes of new buffers the fill allocates for the packets in scope it pads; UINT64_MAX when one of
// them would have to be longer than a packet can be.
[[nodiscard]] uint64_t fill_growth(const PAKETS& store, const scope& s, fill_params params);

// Whether the memory budget (memory_budget()) covers fill_growth.
[[nodiscard]] bool fill_fits_memory(const PAKETS& store, const scope& s, fill_params params);
