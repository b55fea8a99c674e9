#include "demodulator/gui/tessaly_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPushButton>

#include "demodulator/core/messages.h"
#include "demodulator/core/pipeline.h"

namespace {

// With the usual frame this gives the window's outer size of 186 x 60 pixels.
constexpr int client_width = 178;
constexpr int client_height = 33;

}  // namespace

std::unique_ptr<QMessageBox> make_message_box(const QString& text, bool error, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(error ? QMessageBox::Critical : QMessageBox::NoIcon,
                                           QString::fromUtf8(tessaly::caption), text,
                                           QMessageBox::Ok, parent);
  return box;
}

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName("Form1");
  setWindowTitle(QString::fromUtf8(tessaly::caption));
  setFont(QFont("Tahoma", 8));
  setFixedSize(client_width, client_height);

  Button1 = new QPushButton(QString::fromUtf8("нажми"), this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(0, 4, 177, 25);
  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);

  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);

  choose_file = [this] {
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) {
      return QString();
    }
    return OpenDialog1->selectedFiles().constFirst();
  };
  show_message = [](QMessageBox& box) { box.exec(); };
}

TForm1::~TForm1() = default;

void TForm1::Button1Click() {
  const QString file = choose_file();
  if (file.isEmpty()) return;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const tessaly::run_report report = tessaly::run_file(file.toStdString());
  QGuiApplication::restoreOverrideCursor();
  const bool failed = report.result != tessaly::outcome::done;
  const std::unique_ptr<QMessageBox> box =
      make_message_box(QString::fromStdString(report.message), failed, this);
  show_message(*box);
  // A failed run ends the program; after a good one the window stays for the next recording.
  if (failed) close();
}
