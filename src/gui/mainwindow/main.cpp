#include "gui/dialogs/basic_logger.h"
#include "gui/mainwindow/app_setup.h"
#include "gui/mainwindow/main_window.h"

int main(int argc, char** argv) {
  basic_logger app(argc, argv);
  setup_application(app);
  TfMain window(program_arguments(argc, argv));
  window.showMaximized();
  return QApplication::exec();
}
