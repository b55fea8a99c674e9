#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

#include <cstdint>

// A colour number 0x00BBGGRR as a colour.
[[nodiscard]] inline QColor colour_of(uint32_t number) {
  return QColor(static_cast<int>(number & 0xFF), static_cast<int>((number >> 8) & 0xFF),
                static_cast<int>((number >> 16) & 0xFF));
}

// 16 x 16 glyphs of the dialog buttons, drawn by the program.
[[nodiscard]] QIcon ok_glyph();
[[nodiscard]] QIcon cancel_glyph();
// An 8 x 8 square of the colour with a dark frame on a light background.
[[nodiscard]] QIcon colour_glyph(uint32_t number);
// The program's logo: a small packet grid, rows of coloured cells, at the given size.
[[nodiscard]] QPixmap program_logo(int size);
