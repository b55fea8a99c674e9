#include "gui/dialogs/texts.h"

QString invalid_value_text() {
  return QStringLiteral("Недопустимое значение.   ");
}
