#pragma once

#include <vector>

class QWidget;

// Tab in a dialog: the controls it stops at and the order it takes them in.

// The controls of `window` that Tab stops at, in reading order (rows from top to bottom, left to
// right within a row): every visible, enabled control that takes the focus by Tab; a group of
// buttons that exclude each other (radio buttons, colour buttons) once, at its checked button, the
// arrow keys moving within the group.
[[nodiscard]] std::vector<QWidget*> tab_stops(const QWidget& window);

// The stop after `focused` (before it when `next` is false), round from the last to the first;
// the first (or the last) when no stop holds the focus; null when the window has no stop.
[[nodiscard]] QWidget* next_tab_stop(const QWidget& window, QWidget* focused, bool next);
