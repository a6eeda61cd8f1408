// The window's command flow and progress texts, as both windows run them;
// built and run on Linux and, under Wine, in the Windows build.
#include "app/conversion_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "app/conversion_worker.h"
#include "app/output_name.h"
#include "app/progress_display.h"
#include "platform/save_progress.h"
#include "support/scripted_dialogs.h"

namespace z917::app {
namespace {

using test::ScriptedDialogs;

struct Conversion {
  std::string journal;
  std::string output;
  OutputKind kind;
  bool operator==(const Conversion&) const = default;
};

class ConversionCommandsTest : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs;
  std::uint32_t excelVersion = 16;
  bool excelStarts = true;
  int versionQueries = 0;
  std::vector<Conversion> conversions;
  ConversionCommands commands{
      {dialogs,
       [this] {
         ++versionQueries;
         if (!excelStarts)
           throw std::runtime_error("Класс не зарегистрирован, ProgID: \"Excel.Application\"");
         return excelVersion;
       },
       [this](const std::string& journal, const std::string& output, OutputKind kind) {
         conversions.push_back({journal, output, kind});
       }}};
};

TEST_F(ConversionCommandsTest, CancelledDialogsEndTheCommandSilently) {
  commands.BtnBinToXlsClick();
  commands.BtnBinToXmlClick();
  EXPECT_EQ(dialogs.SaveRuns(), std::vector<bool>({false, false}));
  EXPECT_EQ(versionQueries, 0);

  dialogs.openAnswer = "/data/journal.bin";
  commands.BtnBinToXmlClick();
  commands.BtnBinToXlsClick();
  EXPECT_EQ(dialogs.SaveRuns(), std::vector<bool>({false, false, false, true, false, true}));
  EXPECT_TRUE(conversions.empty());
}

TEST_F(ConversionCommandsTest, ExcelCommandProposesJournalNameWithExtensionForVersion) {
  excelVersion = 12;
  dialogs.openAnswer = "/data/shop 1/journal.bin";
  dialogs.saveAnswer = "/out/book.xlsx";
  commands.BtnBinToXlsClick();
  ASSERT_EQ(dialogs.SaveRuns(), std::vector<bool>({false, true}));
  EXPECT_EQ(versionQueries, 1);
  EXPECT_EQ(dialogs.runs[0].request, (FileDialogRequest{FileFilter::Journal, "", ""}));
  EXPECT_EQ(dialogs.runs[1].request,
            (FileDialogRequest{FileFilter::ExcelWorkbook, "/data/shop 1/journal.xlsx", ""}));
  EXPECT_EQ(conversions, std::vector<Conversion>(
                             {{"/data/shop 1/journal.bin", "/out/book.xlsx", OutputKind::Excel}}));

  for (std::uint32_t version : {11u, 0u}) {
    excelVersion = version;
    commands.BtnBinToXlsClick();
    EXPECT_EQ(dialogs.runs.back().request.fileName, "/data/shop 1/journal.xls") << version;
  }
}

TEST_F(ConversionCommandsTest, ExcelThatCannotStartLetsItsErrorOutBeforeTheSaveDialog) {
  excelStarts = false;
  dialogs.openAnswer = "/data/journal.bin";
  dialogs.saveAnswer = "/data/journal.xml";
  try {
    commands.BtnBinToXlsClick();
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Класс не зарегистрирован, ProgID: \"Excel.Application\"");
  }
  EXPECT_EQ(dialogs.SaveRuns(), std::vector<bool>({false}));
  EXPECT_TRUE(conversions.empty());

  // The XML command needs no Excel.
  commands.BtnBinToXmlClick();
  EXPECT_EQ(conversions.size(), 1u);
}

TEST_F(ConversionCommandsTest, XmlCommandReplacesOnlyTheLastExtensionWithoutVersionQuery) {
  dialogs.saveAnswer = "/out/a.b.xml";
  const std::pair<std::string, std::string> cases[] = {
      {"/data/a.b.bin", "/data/a.b.xml"},
      {"/data/journal", "/data/journal.xml"},
      {"/data/v1.2/journal", "/data/v1.2/journal.xml"},
      {"/data/журнал.bin", "/data/журнал.xml"},
  };
  for (const auto& [journal, proposed] : cases) {
    dialogs.openAnswer = journal;
    commands.BtnBinToXmlClick();
    EXPECT_EQ(dialogs.runs.back().request, (FileDialogRequest{FileFilter::Xml, proposed, ""}));
  }
  EXPECT_EQ(versionQueries, 0);
  ASSERT_EQ(conversions.size(), 4u);
  EXPECT_EQ(conversions[0], (Conversion{"/data/a.b.bin", "/out/a.b.xml", OutputKind::Xml}));
}

TEST_F(ConversionCommandsTest, OpenDialogStartsEmptyEveryTime) {
  dialogs.openAnswer = "/data/j.bin";
  dialogs.saveAnswer = "/data/out";
  commands.BtnBinToXlsClick();
  commands.BtnBinToXmlClick();
  commands.BtnBinToXmlClick();
  ASSERT_EQ(dialogs.runs.size(), 6u);
  for (std::size_t open : {0u, 2u, 4u})
    EXPECT_EQ(dialogs.runs[open].request, (FileDialogRequest{FileFilter::Journal, "", ""}));
  EXPECT_EQ(versionQueries, 1);
  EXPECT_EQ(dialogs.runs[1].request.fileName, "/data/j.xlsx");
  EXPECT_EQ(dialogs.runs[3].request.fileName, "/data/j.xml");
  EXPECT_EQ(conversions, std::vector<Conversion>({{"/data/j.bin", "/data/out", OutputKind::Excel},
                                                  {"/data/j.bin", "/data/out", OutputKind::Xml},
                                                  {"/data/j.bin", "/data/out", OutputKind::Xml}}));
}

TEST(OutputName, ReplacesTheLastExtensionOfTheFileNameOnly) {
  EXPECT_EQ(ProposedOutputName("/home/u/journal.", ".xls"), "/home/u/journal.xls");
  EXPECT_EQ(ProposedOutputName("journal.BIN", ".xml"), "journal.xml");
  EXPECT_EQ(ProposedOutputName("journal", ".xml"), "journal.xml");
  EXPECT_EQ(ProposedOutputName(".bin", ".xml"), ".xml");
  EXPECT_EQ(ProposedOutputName("", ".xml"), ".xml");
}

TEST(OutputName, FolderSeparatorsOfThePlatform) {
#ifdef _WIN32
  EXPECT_EQ(ProposedOutputName("C:\\Data\\v1.2\\journal", ".xml"), "C:\\Data\\v1.2\\journal.xml");
  EXPECT_EQ(ProposedOutputName("C:\\Data\\a.b.bin", ".xlsx"), "C:\\Data\\a.b.xlsx");
  EXPECT_EQ(ProposedOutputName("C:/Data.1\\journal", ".xls"), "C:/Data.1\\journal.xls");
  EXPECT_EQ(ProposedOutputName("\\\\server\\shop.1\\journal", ".xml"),
            "\\\\server\\shop.1\\journal.xml");
  EXPECT_EQ(FileNameOf("C:\\Data/shop\\журнал.bin"), "журнал.bin");
#else
  // A backslash is part of a file name here.
  EXPECT_EQ(ProposedOutputName("/data/v1.2\\journal", ".xml"), "/data/v1.xml");
  EXPECT_EQ(FileNameOf("/data/v1.2\\журнал.bin"), "v1.2\\журнал.bin");
#endif
  EXPECT_EQ(FileNameOf("/data/журнал.bin"), "журнал.bin");
  EXPECT_EQ(FileNameOf("журнал.bin"), "журнал.bin");
  EXPECT_EQ(FileNameOf("/data/"), "");
}

TEST(OutputName, ExcelFromVersion12OnGetsXlsx) {
  EXPECT_EQ(ExcelExtensionFor(0), ".xls");
  EXPECT_EQ(ExcelExtensionFor(11), ".xls");
  EXPECT_EQ(ExcelExtensionFor(12), ".xlsx");
  EXPECT_EQ(ExcelExtensionFor(16), ".xlsx");
}

using Stage = driver::ConversionProgress::Stage;

TEST(ProgressDisplay, TextsNameTheFileOfTheStage) {
  EXPECT_EQ(ProgressCaption(), "Конвертация");
  EXPECT_EQ(ProgressLabel({Stage::Reading, 10, 100, 1}, "журнал.bin", "журнал.xml"),
            "Конвертация журнала журнал.bin");
  EXPECT_EQ(ProgressLabel({Stage::Saving, 100, 100, 9, 0.5}, "журнал.bin", "журнал.xml"),
            "Сохранение файла журнал.xml");
  // A name is shown as it is, whatever it holds.
  EXPECT_EQ(ProgressLabel({}, "50%1%2.bin", "x"), "Конвертация журнала 50%1%2.bin");
  EXPECT_EQ(StoppingLabel(), "Остановка...");
}

TEST(ProgressDisplay, BarFollowsTheShareReadAndStaysInRange) {
  EXPECT_EQ(BarPositionFor({Stage::Reading, 0, 4000, 0}), (ProgressBarPosition{false, 0}));
  EXPECT_EQ(BarPositionFor({Stage::Reading, 1000, 4000, 5}), (ProgressBarPosition{false, 250}));
  EXPECT_EQ(BarPositionFor({Stage::Reading, 3999, 4000, 5}), (ProgressBarPosition{false, 999}));
  // A journal that grew while it was read.
  EXPECT_EQ(BarPositionFor({Stage::Reading, 9000, 4000, 5}), (ProgressBarPosition{false, 1000}));
  EXPECT_EQ(BarPositionFor({Stage::Reading, ~0ull, ~0ull, 5}), (ProgressBarPosition{false, 1000}));
  // Size unknown: busy; saving: the share saved, rounded down, or full
  // when the writer does not tell it, even when the size was unknown.
  EXPECT_TRUE(BarPositionFor({Stage::Reading, 500, 0, 5}).busy);
  EXPECT_EQ(BarPositionFor({Stage::Saving, 500, 0, 5}), (ProgressBarPosition{false, 1000}));
  EXPECT_EQ(BarPositionFor({Stage::Saving, 500, 0, 5, 0.0}), (ProgressBarPosition{false, 0}));
  EXPECT_EQ(BarPositionFor({Stage::Saving, 5, 5, 5, 0.4999}), (ProgressBarPosition{false, 499}));
  EXPECT_EQ(BarPositionFor({Stage::Saving, 5, 5, 5, 1.0}), (ProgressBarPosition{false, 1000}));
}

TEST(ProgressDisplay, LatestProgressHandsTheWorkersReportToAnotherThread) {
  LatestProgress latest;
  EXPECT_EQ(latest.Load().stage, Stage::Reading);
  EXPECT_EQ(latest.Load().bytesRead, 0u);
  std::thread worker([&latest] { latest.Store({Stage::Saving, 70, 80, 90}); });
  worker.join();
  const driver::ConversionProgress seen = latest.Load();
  EXPECT_EQ(seen.stage, Stage::Saving);
  EXPECT_EQ(seen.bytesRead, 70u);
  EXPECT_EQ(seen.journalSize, 80u);
  EXPECT_EQ(seen.entries, 90u);
}

TEST(ConversionWorker, ReportsProgressTellsItsEndAndHandsOnWhatTheConversionThrew) {
  std::atomic<int> endings{0};
  ConversionWorker worker(
      [](const driver::ProgressListener& progress) {
        progress({Stage::Saving, 7, 8, 9});
        throw std::runtime_error("сбой");
      },
      [&endings] { ++endings; });
  while (!worker.Done()) std::this_thread::yield();
  EXPECT_EQ(worker.Progress().entries, 9u);
  try {
    worker.Finish();
    ADD_FAILURE() << "the conversion's error was lost";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "сбой");
  }
  EXPECT_EQ(endings.load(), 1);
}

TEST(ConversionWorker, ProgressFollowsTheSaveWhileTheConversionIsInsideIt) {
  using platform::SaveProgress;
  // The conversion waits while its progress is read, so that nothing moves meanwhile.
  std::atomic<int> step{0};
  const auto conversion = [&step](const driver::ProgressListener& progress) {
    progress({Stage::Saving, 8, 8, 1});
    SaveProgress::Report(1, 4);
    step = 1;
    while (step.load() != 2) std::this_thread::yield();
    SaveProgress::Report(3, 4);
  };
  ConversionWorker worker(conversion, [] {});
  while (step.load() != 1) std::this_thread::yield();
  EXPECT_EQ(BarPositionFor(worker.Progress()).value, 250);
  step = 2;
  worker.Finish();
  EXPECT_EQ(BarPositionFor(worker.Progress()).value, 750);
}

}  // namespace
}  // namespace z917::app
