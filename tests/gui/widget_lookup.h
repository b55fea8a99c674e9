#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QString>
#include <QWidget>

// A dialog's control by its object name; a failed expectation (and null) when it has none.
template <typename T>
T* child(QWidget& w, const char* name) {
  T* found = w.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

// Whether some label of the widget shows exactly `text`.
inline bool has_label(QWidget& w, const QString& text) {
  for (const QLabel* l : w.findChildren<QLabel*>()) {
    if (l->text() == text) return true;
  }
  return false;
}
