#pragma once

#include <cstdint>
#include <span>

#include "core/model/block.h"

// The byte with bit j moved to bit 7 - j.
[[nodiscard]] uint8_t reverse_bits(uint8_t b);

// Writes '1' or '0' for bit j at text[j], for j = 0 up to the highest set bit of b. The caller
// fills the 8 characters with '0' first; the text then shows bit 0 first (0x41 -> "10000010").
void byte_to_binary(uint8_t b, char text[8]);

// First position p at which `needle` occurs in `hay`, testing p = 0 .. n - m; npos when the needle
// is longer than the hay or absent. An empty needle matches at 0.
[[nodiscard]] uint32_t find_bytes(std::span<const uint8_t> hay, std::span<const uint8_t> needle);
