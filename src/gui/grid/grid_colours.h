#pragma once

#include <QColor>

#include <cstdint>

// Colours of the packet grid.
namespace grid_colours {
inline const QColor text{0, 0, 0};
inline const QColor current_frame{0, 0, 255};
inline const QColor bit_one{0, 128, 0};
inline const QColor bit_zero{0, 0, 0};
inline const QColor hatch{128, 128, 128};
inline const QColor range_edge{255, 0, 0};
inline const QColor range_header{255, 0, 0};
inline const QColor beyond_last{255, 255, 255};
}  // namespace grid_colours

// A packet's colour number, laid out 0x00BBGGRR.
[[nodiscard]] inline QColor packet_colour(uint32_t c) {
  return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
          static_cast<int>((c >> 16) & 0xFF)};
}
