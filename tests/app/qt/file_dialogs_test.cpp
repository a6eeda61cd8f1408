#include "app/qt/file_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "gui_support.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace z917::app::qt {
namespace {

struct SeenDialog {
  QFileDialog::AcceptMode accept = QFileDialog::AcceptOpen;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  QStringList filters;
  QString folder;
  QString name;
  bool confirmsOverwrite = false;
};

// Reads the dialog's set-up, then picks `choice` (or cancels when empty).
void Answer(QWidget* modal, SeenDialog& seen, const QString& choice) {
  auto* dialog = qobject_cast<QFileDialog*>(modal);
  ASSERT_NE(dialog, nullptr);
  seen.accept = dialog->acceptMode();
  seen.mode = dialog->fileMode();
  seen.filters = dialog->nameFilters();
  seen.folder = dialog->directory().absolutePath();
  if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) seen.name = edit->text();
  seen.confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
  if (choice.isEmpty()) {
    dialog->reject();
  } else {
    dialog->selectFile(choice);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the name
  }
}

class FileDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { dialogs.SetOwner(&owner); }

  std::vector<std::string> Open(SeenDialog& seen, const std::string& choice) {
    test::AnswerNextModal(
        [&seen, choice](QWidget* modal) { Answer(modal, seen, QString::fromStdString(choice)); });
    return dialogs.RunOpen({FileFilter::Journal, {}, {}});
  }

  test::WithApplication application;
  QWidget owner;
  QtFileDialogs dialogs;
  test::TempFolder dir{"z917_file_dialogs"};
  std::string journal = test::WriteFile(dir / "journal.bin", "x");
};

TEST_F(FileDialogsTest, OpenDialogWantsExistingFileAndStartsWithoutName) {
  SeenDialog seen;
  EXPECT_EQ(Open(seen, journal), std::vector{journal});
  EXPECT_EQ(seen.accept, QFileDialog::AcceptOpen);
  EXPECT_EQ(seen.mode, QFileDialog::ExistingFiles);
  EXPECT_EQ(seen.filters, QStringList({"Журнал Z917 (*.bin)"}));

  // The next use keeps the folder but not the name; cancelling gives nothing.
  SeenDialog again;
  EXPECT_TRUE(Open(again, "").empty());
  EXPECT_EQ(again.folder, QString::fromStdString(dir.Path().string()));
  EXPECT_EQ(again.name, "");
}

TEST_F(FileDialogsTest, SaveDialogProposesNameInItsFolderAndConfirmsOverwrite) {
  SeenDialog seen;
  const std::string proposed = (dir / "journal.xlsx").string();
  test::AnswerNextModal(
      [&seen, proposed](QWidget* modal) { Answer(modal, seen, QString::fromStdString(proposed)); });
  EXPECT_EQ(dialogs.RunSave({FileFilter::ExcelWorkbook, proposed, {}}), proposed);
  EXPECT_EQ(seen.accept, QFileDialog::AcceptSave);
  EXPECT_EQ(seen.filters, QStringList({"Книга Excel (*.xls *.xlsx)"}));
  EXPECT_EQ(seen.folder, QString::fromStdString(dir.Path().string()));
  EXPECT_EQ(seen.name, "journal.xlsx");
  EXPECT_TRUE(seen.confirmsOverwrite);
}

TEST_F(FileDialogsTest, FolderDialogStartsInTheProposedFolderAndGivesTheOneChosen) {
  SeenDialog seen;
  const std::string sub = (dir / "out").string();
  std::filesystem::create_directory(sub);
  test::AnswerNextModal(
      [&seen, sub](QWidget* modal) { Answer(modal, seen, QString::fromStdString(sub)); });
  EXPECT_EQ(dialogs.RunFolder({FileFilter::Xml, dir.Path().string(), {}}), sub);
  EXPECT_EQ(seen.mode, QFileDialog::Directory);
  EXPECT_EQ(seen.folder, QString::fromStdString(dir.Path().string()));
}

TEST_F(FileDialogsTest, ExistingOutputsQuestionAnswersByItsButtons) {
  const std::pair<const char*, ExistingOutputs> cases[] = {
      {"Заменить", ExistingOutputs::Replace},
      {"Пропустить", ExistingOutputs::Skip},
      {"Отмена", ExistingOutputs::Stop},
  };
  for (const auto& [caption, answer] : cases) {
    QString text;
    test::AnswerNextModal([&text, caption = caption](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      text = box->text();
      for (QAbstractButton* button : box->buttons())
        if (button->text() == QString::fromUtf8(caption)) button->click();
    });
    EXPECT_EQ(dialogs.AskExisting(3), answer) << caption;
    EXPECT_TRUE(text.contains(QStringLiteral("результатов: 3."))) << text.toStdString();
  }
}

TEST_F(FileDialogsTest, FiltersInTheToolkitsForm) {
  EXPECT_EQ(QtFilterText(FileFilter::Journal), "Журнал Z917 (*.bin)");
  EXPECT_EQ(QtFilterText(FileFilter::ExcelWorkbook), "Книга Excel (*.xls *.xlsx)");
  EXPECT_EQ(QtFilterText(FileFilter::Xml), "Файлы XML (*.xml)");
}

// Also run at 200 % (see CMakeLists.txt), where the dialog's wish is
// taller than the screen.
TEST_F(FileDialogsTest, DialogNeverTallerThanTheScreenAtAnyScale) {
  QSize dialog, screen;
  test::AnswerNextModal([&](QWidget* modal) {
    dialog = modal->frameGeometry().size();
    screen = modal->screen()->availableGeometry().size();
    qobject_cast<QDialog*>(modal)->reject();
  });
  dialogs.RunOpen({FileFilter::Journal, {}, {}});
  ASSERT_FALSE(screen.isEmpty());
  EXPECT_LE(dialog.height(), screen.height());
  EXPECT_LE(dialog.width(), screen.width());
}

}  // namespace
}  // namespace z917::app::qt
