#pragma once

#include <cstdint>
#include <optional>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// What a quick filter compares with the current packet. The values are the command codes the
// popup menu hands to the dispatcher.
enum class filter_criterion : uint8_t {
  byte = 3,    // the byte at the current column
  length = 4,  // the byte length
  colour = 5,  // the packet colour (of the current packet, not the tool bar's)
};

struct quick_filter_params {
  filter_criterion criterion = filter_criterion::byte;
  bool drop = false;    // delete the matching packets instead of keeping them
  uint32_t row = 0;     // number of the current packet (grid row - 1)
  uint32_t column = 0;  // byte index of the current column (grid column - 1); npos for none
};

// Command word of a popup filter: the criterion in the low byte, the drop flag in the high one.
[[nodiscard]] constexpr uint16_t quick_filter_command(filter_criterion c, bool drop) {
  return static_cast<uint16_t>((drop ? 0x100 : 0) | static_cast<uint8_t>(c));
}

// Criterion and drop flag of a command word, or nothing for a word that names no filter.
[[nodiscard]] std::optional<quick_filter_params> quick_filter_from_command(uint16_t command);

// Whether the filter has something to compare with: packet `row` exists and, for the byte
// criterion, reaches `column`. Otherwise quick_filter does nothing.
[[nodiscard]] bool quick_filter_applies(const PAKETS& store, const quick_filter_params& params);

// Keeps or deletes packets by their likeness to the current packet and renumbers the rest from 0,
// in order, colours untouched. The reference values are read once from packet `row` before the
// pass. Nothing happens when `row` holds no packet, nor with the byte criterion when the current
// packet has no byte at `column` (there is no byte to compare with).
//
// Byte criterion: a packet "has this byte" when it reaches the column and its byte there equals
// the reference. Keeping removes the packets that do not have it, short ones included; dropping
// removes only the packets that have it. Length and colour ignore the column.
//
// Counters: processed (packets visited), deleted; the modified flag is set when a packet was
// deleted. A cancelled pass keeps the packets it did not reach, behind the kept ones.
void quick_filter(PAKETS& store, const quick_filter_params& params, pass& run);
