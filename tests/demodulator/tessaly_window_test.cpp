#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <cstdlib>
#include <optional>

#include "demodulator/gui/tessaly_window.h"
#include "support/temp_dir.h"

namespace {

struct shown_box {
  QMessageBox::Icon icon;
  QString caption;
  QString text;
  QMessageBox::StandardButtons buttons;
};

// A shown window whose file dialog answers `file` and whose boxes are recorded.
struct driven_form {
  TForm1 form;
  std::vector<shown_box> boxes;

  explicit driven_form(const std::string& file) {
    form.choose_file = [file] { return QString::fromStdString(file); };
    form.show_message = [this](QMessageBox& box) {
      boxes.push_back({box.icon(), box.windowTitle(), box.text(), box.standardButtons()});
    };
    form.show();
  }
};

const QString error_text = QString::fromUtf8("Ошибка при выполнении файловых операций.   ");

}  // namespace

TEST(TessalyWindow, HasItsNamesAndCaptions) {
  TForm1 form;
  EXPECT_EQ(form.objectName(), "Form1");
  EXPECT_EQ(form.windowTitle(), "Tessaly");
  auto* button = form.findChild<QPushButton*>("Button1");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), QString::fromUtf8("нажми"));
  EXPECT_EQ(button->size(), QSize(177, 25));
  auto* dialog = form.findChild<QFileDialog*>("OpenDialog1");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
  EXPECT_LE(dialog->nameFilters().size(), 1);  // no filter: every file
  EXPECT_TRUE(dialog->nameFilters().isEmpty() || dialog->nameFilters().constFirst().contains("*"));
}

TEST(TessalyWindow, CancelDoesNothing) {
  driven_form f("");
  f.form.Button1->click();
  EXPECT_TRUE(f.boxes.empty());
  EXPECT_TRUE(f.form.isVisible());
}

TEST(TessalyWindow, DoneShowsThePlainCompletionBox) {
  temp_dir dir;
  const std::string wav =
      dir.write("demo.wav", read_file(std::string(PELORIN_SOURCE_DIR) + "/examples/demo.wav"));
  driven_form f(wav);
  f.form.Button1->click();
  ASSERT_EQ(f.boxes.size(), 1u);
  EXPECT_EQ(f.boxes[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(f.boxes[0].caption, "Tessaly");
  EXPECT_EQ(f.boxes[0].text,
            QString::fromUtf8("Готово. \nВ файле 0_demo.wav - обработанный сигнал. \n"
                              "В файле 1_demo.wav.sig - пакеты с синхронизацией."));
  EXPECT_EQ(f.boxes[0].buttons, QMessageBox::Ok);
  EXPECT_TRUE(f.form.isVisible());
  EXPECT_FALSE(read_file(dir.file("1_demo.wav.sig")).empty());
}

TEST(TessalyWindow, FailuresShowTheErrorBoxAndEndTheProgram) {
  temp_dir dir;
  struct row {
    std::string file;
    QString text;
  };
  const row rows[] = {
      {dir.write("one.wav", {0x42}), error_text},
      {dir.file("missing.wav"), error_text},
      {dir.write("quiet.wav", std::vector<uint8_t>(64, 0)),
       QString::fromUtf8("Нет синхронизации.   ")},
  };
  for (const row& r : rows) {
    driven_form f(r.file);
    f.form.Button1->click();
    ASSERT_EQ(f.boxes.size(), 1u) << r.file;
    EXPECT_EQ(f.boxes[0].icon, QMessageBox::Critical) << r.file;
    EXPECT_EQ(f.boxes[0].caption, "Tessaly");
    EXPECT_EQ(f.boxes[0].text, r.text) << r.file;
    EXPECT_FALSE(f.form.isVisible()) << r.file;
  }
}

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
