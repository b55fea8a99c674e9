#pragma once

#include <QMessageBox>
#include <QWidget>
#include <functional>
#include <memory>

class QFileDialog;
class QPushButton;

// Tessaly's window: one button that asks for a recording and turns it into the processed signal
// and the packet file.
class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Asks for the recording; an empty text means the user cancelled. Shows OpenDialog1 unless a
  // test replaces it.
  std::function<QString()> choose_file;
  // Shows one of the program's message boxes. Tests replace it to capture the box unshown.
  std::function<void(QMessageBox&)> show_message;

  void Button1Click();

  QPushButton* Button1 = nullptr;
  QFileDialog* OpenDialog1 = nullptr;
};

// The box the window shows for a text: the error icon for the two failures, none for completion.
[[nodiscard]] std::unique_ptr<QMessageBox> make_message_box(const QString& text, bool error,
                                                            QWidget* parent);
