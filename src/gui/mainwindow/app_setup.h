#pragma once

#include <QStringList>

class QApplication;

// Names the application, loads Qt's own Russian translation (file dialogs, standard buttons) and
// the Tahoma font where the machine has it.
void setup_application(QApplication& app);

// The arguments after the program name that Qt has left (it takes its own, such as -geometry,
// out of argc and argv when the application object is made).
[[nodiscard]] QStringList program_arguments(int argc, char** argv);
