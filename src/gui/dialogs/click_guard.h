#pragma once

#include <QPoint>

// A dialog that a click closes is gone before the second click of a double click arrives, which
// then lands on whatever lay under the dialog: the grid would move its current cell. For `ms`
// milliseconds after the close, this swallows the next press near `global` (within the platform's
// double-click distance, in screen coordinates), together with its double click and its release.
// A press anywhere else passes and ends the watch. A later call replaces an earlier watch.
void swallow_second_click(QPoint global, int ms);
