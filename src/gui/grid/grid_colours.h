#pragma once

#include <QColor>

#include <cmath>
#include <cstdint>
#include <cstdlib>

// Colours of the packet grid.
namespace grid_colours {
inline const QColor current_frame{0, 0, 255};
inline const QColor bit_one{0, 128, 0};
inline const QColor bit_zero{0, 0, 0};
inline const QColor hatch{128, 128, 128};
inline const QColor range_edge{255, 0, 0};
inline const QColor range_header{255, 0, 0};
inline const QColor beyond_last{255, 255, 255};
}  // namespace grid_colours

// Black or white, whichever contrasts more with `fill` (the ratio of relative luminances): the
// text, the numbers and the frame drawn on a marking colour. Black on red, white on blue.
[[nodiscard]] inline QColor ink_on(const QColor& fill) {
  auto linear = [](int channel) {
    const double v = channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  const double luminance =
      0.2126 * linear(fill.red()) + 0.7152 * linear(fill.green()) + 0.0722 * linear(fill.blue());
  // Contrast with black (L + 0.05) / 0.05 against contrast with white 1.05 / (L + 0.05).
  return (luminance + 0.05) * (luminance + 0.05) > 0.05 * 1.05 ? QColor(0, 0, 0)
                                                               : QColor(255, 255, 255);
}

// The current cell's frame on a cell of `fill`: blue as a rule; on a fill too near blue to show it,
// the ink that stands out against the fill.
[[nodiscard]] inline QColor current_frame_on(const QColor& fill) {
  const QColor& frame = grid_colours::current_frame;
  const int distance = std::abs(fill.red() - frame.red()) + std::abs(fill.green() - frame.green()) +
                       std::abs(fill.blue() - frame.blue());
  return distance >= 192 ? frame : ink_on(fill);
}

// A packet's colour number, laid out 0x00BBGGRR.
[[nodiscard]] inline QColor packet_colour(uint32_t c) {
  return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
          static_cast<int>((c >> 16) & 0xFF)};
}
