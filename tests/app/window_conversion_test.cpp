// The window wired as the program wires it: real driver, writers and
// workbook engine; only the dialogs and message boxes are answered here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QPushButton>
#include <QTest>

#include "app/conversion_driver.h"
#include "app/main_window.h"
#include "automation/server_factory.h"
#include "gui_support.h"
#include "journal/synthetic_journal.h"
#include "xls/excel_book_writer.h"
#include "xml/regional_settings.h"
#include "xml/xml_journal_writer.h"

namespace z917::app {
namespace {

namespace fs = std::filesystem;
using test::Shown;

std::string Head(const fs::path& path, std::size_t size) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(size, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

class WindowConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) /
          ("z917_window_" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    journal = dir / "journal.bin";
    std::ofstream out(journal, std::ios::binary);
    GenerateSyntheticJournal({300, 7}, [&out](std::string_view packet) {
      out.write(packet.data(), static_cast<std::streamsize>(packet.size()));
    });
    form.show();
  }
  void TearDown() override { fs::remove_all(dir); }

  void Click(const char* button) {
    QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
  }
  test::WithApplication application;
  fs::path dir;
  fs::path journal;
  test::ScriptedDialogs dialogs;
  test::RecordingMessages messages;
  xls::ExcelBookWriter excel{automation::StartServer, messages};
  xml::XmlJournalWriter xml{messages, xml::ReadRegionalSettings()};
  ConversionDriver driver{{excel, xml}, messages};
  TForm1 form{{dialogs, [] { return xls::GetExcelVersion(automation::StartServer); },
               [this](const std::string& in, const std::string& out, OutputKind kind) {
                 driver.ConvertJournal(in, out, kind);
               },
               messages}};
};

TEST_F(WindowConversionTest, XmlButtonConvertsJournalToProposedFileUnderCyrillicName) {
  const fs::path folder = dir / "Каса 2";
  fs::create_directories(folder);
  fs::rename(journal, folder / "журнал.bin");
  dialogs.openAnswer = QString::fromStdString((folder / "журнал.bin").string());
  dialogs.saveAnswer = QString::fromStdString((folder / "журнал.xml").string());
  Click("BtnBinToXml");
  EXPECT_EQ(dialogs.runs.at(1).request.fileName, *dialogs.saveAnswer);
  EXPECT_EQ(messages.shown,
            std::vector<Shown>({{MessageKind::Information, "Конвертация прошла успешно"}}));
  EXPECT_EQ(Head(folder / "журнал.xml", 5), "<?xml");
  EXPECT_GT(driver.Counters().Sale, 0u);
  EXPECT_GT(fs::file_size(folder / "журнал.xml"), 10000u);
}

TEST_F(WindowConversionTest, XlsButtonConvertsJournalToXlsxWorkbook) {
  dialogs.openAnswer = QString::fromStdString(journal.string());
  dialogs.saveAnswer = QString::fromStdString((dir / "journal.xlsx").string());
  Click("BtnBinToXls");
  // The built-in engine reports a version that writes the newer format.
  EXPECT_EQ(dialogs.runs.at(1).request.fileName, *dialogs.saveAnswer);
  EXPECT_EQ(messages.shown,
            std::vector<Shown>({{MessageKind::Information, "Конвертация прошла успешно"}}));
  EXPECT_EQ(Head(dir / "journal.xlsx", 2), "PK");
}

TEST_F(WindowConversionTest, FailedSaveShowsWritersMessageThenDriversAndWritesNothing) {
  dialogs.openAnswer = QString::fromStdString(journal.string());
  const fs::path missing = dir / "missing";
  dialogs.saveAnswer = QString::fromStdString((missing / "journal.xlsx").string());
  Click("BtnBinToXls");
  dialogs.saveAnswer = QString::fromStdString((missing / "journal.xml").string());
  Click("BtnBinToXml");

  ASSERT_EQ(messages.shown.size(), 4u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(messages.shown[0].text.rfind("Ошибка записи файла Excel: ", 0), 0u)
      << messages.shown[0].text;
  EXPECT_EQ(messages.shown[1], (Shown{MessageKind::Error, "Ошибка записи файла Excel"}));
  EXPECT_EQ(messages.shown[2].kind, MessageKind::Error);
  EXPECT_EQ(messages.shown[2].text.rfind("Ошибка записи XML файла: ", 0), 0u)
      << messages.shown[2].text;
  EXPECT_EQ(messages.shown[3], (Shown{MessageKind::Error, "Ошибка записи файла XML"}));
  EXPECT_FALSE(fs::exists(missing));

  // The window is still usable afterwards.
  dialogs.saveAnswer = QString::fromStdString((dir / "journal.xml").string());
  Click("BtnBinToXml");
  EXPECT_EQ(messages.shown.back(), (Shown{MessageKind::Information, "Конвертация прошла успешно"}));
}

}  // namespace
}  // namespace z917::app
