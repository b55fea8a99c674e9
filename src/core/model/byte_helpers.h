#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "core/model/block.h"

// Every byte with bit j moved to bit 7 - j, by value.
inline constexpr std::array<uint8_t, 256> byte_mirror = [] {
  std::array<uint8_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    unsigned r = 0;
    for (unsigned j = 0; j < 8; ++j) r |= ((b >> j) & 1u) << (7 - j);
    table[b] = static_cast<uint8_t>(r);
  }
  return table;
}();

// The byte with bit j moved to bit 7 - j.
[[nodiscard]] inline uint8_t reverse_bits(uint8_t b) {
  return byte_mirror[b];
}

// Writes '1' or '0' for bit j at text[j], for j = 0 up to the highest set bit of b. The caller
// fills the 8 characters with '0' first; the text then shows bit 0 first (0x41 -> "10000010").
void byte_to_binary(uint8_t b, char text[8]);

// First position p at which `needle` occurs in `hay`, testing p = 0 .. n - m; npos when the needle
// is longer than the hay or absent. An empty needle matches at 0. Inline: the searches call it
// once per packet.
[[nodiscard]] inline uint32_t find_bytes(std::span<const uint8_t> hay,
                                         std::span<const uint8_t> needle) {
  const size_t length = needle.size();
  if (length > hay.size()) return npos;
  if (length == 0) return 0;
  const uint8_t* const data = hay.data();
  const uint8_t lead = needle[0];
  const size_t last = hay.size() - length;  // the last place a match can start
  // A short hay is looked through byte by byte: a call of memchr costs more than that.
  constexpr size_t short_hay = 64;
  if (last < short_hay) {
    for (size_t i = 0; i <= last; ++i) {
      if (data[i] == lead && std::memcmp(data + i + 1, needle.data() + 1, length - 1) == 0) {
        return static_cast<uint32_t>(i);
      }
    }
    return npos;
  }
  const uint8_t* const end = data + last;
  for (const uint8_t* at = data; at <= end; ++at) {
    at = static_cast<const uint8_t*>(std::memchr(at, lead, static_cast<size_t>(end - at) + 1));
    if (at == nullptr) break;
    if (std::memcmp(at + 1, needle.data() + 1, length - 1) == 0) {
      return static_cast<uint32_t>(at - data);
    }
  }
  return npos;
}
