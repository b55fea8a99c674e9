#pragma once

#include <QColor>

#include <cstdint>
#include <cstdlib>

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

// The current cell's frame on a cell of `fill`: blue as a rule; on a fill too near blue to show it,
// white or black, whichever stands out against the fill's brightness.
[[nodiscard]] inline QColor current_frame_on(const QColor& fill) {
  const QColor& frame = grid_colours::current_frame;
  const int distance = std::abs(fill.red() - frame.red()) + std::abs(fill.green() - frame.green()) +
                       std::abs(fill.blue() - frame.blue());
  if (distance >= 192) return frame;
  return qGray(fill.rgb()) < 128 ? QColor(255, 255, 255) : QColor(0, 0, 0);
}

// A packet's colour number, laid out 0x00BBGGRR.
[[nodiscard]] inline QColor packet_colour(uint32_t c) {
  return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
          static_cast<int>((c >> 16) & 0xFF)};
}
