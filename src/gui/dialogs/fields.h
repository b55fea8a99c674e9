#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QWidget;

// Small builders and readers of the controls that operation dialogs share.

// A label at a fixed place in the parameter group.
QLabel* add_label(QWidget* parent, const QString& text, int x, int y, int width);
// A one-line field named `name`, holding `text`.
QLineEdit* add_field(QWidget* parent, const char* name, const QString& text, int x, int y,
                     int width);
// The field's text as a signed 32-bit integer (decimal, optional sign, nothing else).
[[nodiscard]] std::optional<int32_t> int_field_value(const QLineEdit* field);
