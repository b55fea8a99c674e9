#include <iostream>
#include <string>

#include "gui/dialogs/basic_logger.h"
#include "gui/dialogs/display_check.h"
#include "gui/mainwindow/app_setup.h"
#include "gui/mainwindow/main_window.h"

int main(int argc, char** argv) {
  if (const std::string missing = missing_display(argc, argv); !missing.empty()) {
    std::cerr << "pelorin: " << missing << '\n';
    return 1;
  }
  basic_logger app(argc, argv);
  setup_application(app);
  TfMain window(program_arguments(argc, argv));
  window.showMaximized();
  return QApplication::exec();
}
