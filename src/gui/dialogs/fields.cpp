#include "gui/dialogs/fields.h"

#include <QLabel>
#include <QLineEdit>

#include "core/operations/int_text.h"

QLabel* add_label(QWidget* parent, const QString& text, int x, int y, int width) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(x, y, width, 20);
  return label;
}

QLineEdit* add_field(QWidget* parent, const char* name, const QString& text, int x, int y,
                     int width) {
  auto* field = new QLineEdit(text, parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setGeometry(x, y, width, 20);
  return field;
}

std::optional<int32_t> int_field_value(const QLineEdit* field) {
  return parse_int32(field->text().toStdString());
}
