#pragma once

#include <QString>

// The program's texts that more than one window shows; a window's own texts stay with it.

// "Недопустимое значение.   ": a field or a number the user typed is not a valid value.
[[nodiscard]] QString invalid_value_text();
