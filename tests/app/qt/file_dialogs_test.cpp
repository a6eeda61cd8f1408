#include "app/qt/file_dialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
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

  std::optional<std::string> Open(SeenDialog& seen, const std::string& choice) {
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
  EXPECT_EQ(Open(seen, journal), journal);
  EXPECT_EQ(seen.accept, QFileDialog::AcceptOpen);
  EXPECT_EQ(seen.mode, QFileDialog::ExistingFile);
  EXPECT_EQ(seen.filters, QStringList({"Журнал Z917 (*.bin)"}));

  // The next use keeps the folder but not the name; cancelling gives nothing.
  SeenDialog again;
  EXPECT_EQ(Open(again, ""), std::nullopt);
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
