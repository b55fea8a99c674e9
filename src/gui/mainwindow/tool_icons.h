#pragma once

#include <QIcon>
#include <QString>

// The icons of the tool bar, the menus and the saved indicator, drawn from small SVG pictures
// that ship inside the program. `name` is the object name of the tool button ("btnOpen", ...) or
// "saved" / "unsaved"; an unknown name gives an empty icon.
[[nodiscard]] QIcon tool_icon(const QString& name);
// Every name tool_icon knows.
[[nodiscard]] QStringList tool_icon_names();
