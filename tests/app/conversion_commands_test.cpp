// The window's command flow and progress texts, as both windows run them;
// built and run on Linux and, under Wine, in the Windows build.
#include "app/conversion_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "app/batch_summary.h"
#include "app/conversion_worker.h"
#include "app/output_name.h"
#include "app/progress_display.h"
#include "driver/conversion_driver.h"
#include "platform/cancellation.h"
#include "platform/path_checks.h"
#include "platform/save_progress.h"
#include "support/files.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

namespace z917::app {
namespace {

using platform::InFolder;
using test::ScriptedDialogs;
using test::Utf8;

// A path under the system's root, in its own form.
std::string InFolder(const std::string& name) {
#ifdef _WIN32
  return "C:\\" + name;
#else
  return "/" + name;
#endif
}

struct Conversion {
  std::string journal;
  std::string output;
  OutputKind kind;
  bool operator==(const Conversion&) const = default;
};

struct Batch {
  std::vector<driver::BatchItem> items;
  OutputKind kind;
  std::size_t skipped;
  bool operator==(const Batch&) const = default;
};

class ConversionCommandsTest : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs;
  std::uint32_t excelVersion = 16;
  bool excelStarts = true;
  int versionQueries = 0;
  std::vector<Conversion> conversions;
  std::vector<Batch> batches;
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
       },
       [this](const std::vector<driver::BatchItem>& items, OutputKind kind, std::size_t skipped) {
         batches.push_back({items, kind, skipped});
       }}};
};

TEST_F(ConversionCommandsTest, CancelledDialogsEndTheCommandSilently) {
  commands.BtnBinToXlsClick();
  commands.BtnBinToXmlClick();
  EXPECT_EQ(dialogs.SaveRuns(), std::vector<bool>({false, false}));
  EXPECT_EQ(versionQueries, 0);

  dialogs.openAnswer = {"/data/journal.bin"};
  commands.BtnBinToXmlClick();
  commands.BtnBinToXlsClick();
  EXPECT_EQ(dialogs.SaveRuns(), std::vector<bool>({false, false, false, true, false, true}));
  EXPECT_TRUE(conversions.empty());
}

TEST_F(ConversionCommandsTest, ExcelCommandProposesJournalNameWithExtensionForVersion) {
  excelVersion = 12;
  dialogs.openAnswer = {"/data/shop 1/journal.bin"};
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
  dialogs.openAnswer = {"/data/journal.bin"};
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
    dialogs.openAnswer = {journal};
    commands.BtnBinToXmlClick();
    EXPECT_EQ(dialogs.runs.back().request, (FileDialogRequest{FileFilter::Xml, proposed, ""}));
  }
  EXPECT_EQ(versionQueries, 0);
  ASSERT_EQ(conversions.size(), 4u);
  EXPECT_EQ(conversions[0], (Conversion{"/data/a.b.bin", "/out/a.b.xml", OutputKind::Xml}));
}

TEST_F(ConversionCommandsTest, OpenDialogStartsEmptyEveryTime) {
  dialogs.openAnswer = {"/data/j.bin"};
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

TEST_F(ConversionCommandsTest, SeveralJournalsGoToOneFolderUnderTheirOwnNamesAsOneBatch) {
  const std::string data = InFolder("data");
  const std::string other = InFolder("other");
  dialogs.openAnswer = {InFolder(data, "a.bin"), InFolder(data, "b.BIN"), InFolder(other, "a.bin")};
  dialogs.folderAnswer = InFolder("out");
  excelVersion = 11;
  commands.BtnBinToXlsClick();
  ASSERT_EQ(dialogs.runs.size(), 2u);
  EXPECT_EQ(dialogs.runs[1].kind, ScriptedDialogs::Kind::Folder);
  EXPECT_EQ(dialogs.runs[1].request.fileName, data);
  EXPECT_EQ(versionQueries, 1);
  EXPECT_TRUE(dialogs.existingAsked.empty());
  // A second "a" keeps apart from the first instead of replacing it.
  const std::vector<driver::BatchItem> items = {
      {InFolder(data, "a.bin"), InFolder(*dialogs.folderAnswer, "a.xls")},
      {InFolder(data, "b.BIN"), InFolder(*dialogs.folderAnswer, "b.xls")},
      {InFolder(other, "a.bin"), InFolder(*dialogs.folderAnswer, "a (2).xls")}};
  EXPECT_EQ(batches, std::vector<Batch>({{items, OutputKind::Excel, 0}}));

  // From outside: one journal goes through the save dialog, several
  // straight to the folder; a cancelled folder converts nothing.
  dialogs.runs.clear();
  dialogs.folderAnswer.reset();
  commands.OpenJournals({items[0].journal});
  commands.OpenJournals({items[0].journal, items[1].journal});
  EXPECT_EQ(dialogs.SaveRuns(), std::vector<bool>({true, false}));
  EXPECT_EQ(dialogs.runs[1].kind, ScriptedDialogs::Kind::Folder);
  EXPECT_EQ(batches.size(), 1u);
}

TEST_F(ConversionCommandsTest, OutputsThatExistAreReplacedSkippedOrStopTheBatch) {
  test::TempFolder dir("z917_batch_flow");
  dialogs.openAnswer = {Utf8(dir / "a.bin"), Utf8(dir / "b.bin"), Utf8(dir / "c.bin")};
  dialogs.folderAnswer = Utf8(dir.Path());
  test::WriteFile(dir / "a.xml", "old");
  test::WriteFile(dir / "c.xml", "old");
  const struct {
    ExistingOutputs answer;
    std::vector<std::string> converted;
    std::size_t skipped;
  } cases[] = {
      {ExistingOutputs::Replace, {"a.bin", "b.bin", "c.bin"}, 0},
      {ExistingOutputs::Skip, {"b.bin"}, 2},
  };
  for (const auto& c : cases) {
    dialogs.existingAnswer = c.answer;
    commands.BtnBinToXmlClick();
    ASSERT_EQ(batches.size(), 1u);
    std::vector<std::string> converted;
    for (const driver::BatchItem& item : batches[0].items)
      converted.emplace_back(FileNameOf(item.journal));
    EXPECT_EQ(converted, c.converted);
    EXPECT_EQ(batches[0].skipped, c.skipped);
    batches.clear();
  }
  dialogs.existingAnswer = ExistingOutputs::Stop;
  commands.BtnBinToXmlClick();
  EXPECT_TRUE(batches.empty());
  EXPECT_EQ(dialogs.existingAsked, std::vector<std::size_t>(3, 2));
}

TEST(BatchSummary, CountsAndNamesEachJournalWithMoreToSayThanSuccess) {
  const std::vector<driver::BatchItem> items = {{"/d/a.bin", "/o/a.xml"},
                                                {"/d/b.bin", "/o/b.xml"},
                                                {"/d/c.bin", "/o/c.xml"},
                                                {"/d/d.bin", "/o/d.xml"},
                                                {"/d/e.bin", "/o/e.xml"}};
  const std::vector<std::optional<driver::BatchOutcome>> outcomes = {
      driver::BatchOutcome{true, {driver::SuccessMessage(0)}},
      driver::BatchOutcome{true, {driver::SuccessMessage(3)}},
      driver::BatchOutcome{false, {"Нет доступа", "Конвертация не выполнена"}}, std::nullopt,
      std::nullopt};
  const BatchSummary summary = SummaryOf(items, outcomes, 2);
  EXPECT_EQ(summary.kind, MessageKind::Error);
  EXPECT_EQ(summary.text,
            "Сконвертировано журналов: 2 из 5\n"
            "Пропущено журналов, чьи файлы уже были: 2\n"
            "Не начаты после остановки: 2\n\n"
            "b.bin:\n" +
                driver::SuccessMessage(3) +
                "\n\n"
                "c.bin:\nНет доступа\nКонвертация не выполнена");
  EXPECT_EQ(SummaryOf({items[0]}, {outcomes[0]}, 0).kind, MessageKind::Information);
  EXPECT_EQ(SummaryOf({items[0]}, {outcomes[0]}, 0).text, "Сконвертировано журналов: 1 из 1");
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
  EXPECT_EQ(ProgressLabel({Stage::Reading, 10, 100, 1}, {"журнал.bin"}, "журнал.xml"),
            "Конвертация журнала журнал.bin");
  EXPECT_EQ(ProgressLabel({Stage::Saving, 100, 100, 9, 0.5}, {"журнал.bin"}, "журнал.xml"),
            "Сохранение файла журнал.xml");
  // A name is shown as it is, whatever it holds.
  EXPECT_EQ(ProgressLabel({}, {"50%1%2.bin"}, "x"), "Конвертация журнала 50%1%2.bin");
  // A batch names the journal started last, whatever the stage.
  driver::ConversionProgress batch({Stage::Saving, 10, 100, 1});
  batch.journalNumber = 2;
  batch.journalCount = 3;
  EXPECT_EQ(ProgressLabel(batch, {"a.bin", "б%1.bin", "c.bin"}, ""),
            "Конвертация: журнал 2 из 3, б%1.bin");
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

TEST(ConversionWorker, ClearsAnOldStopButNeverOneAskedOnceItExists) {
  platform::Cancellation::Request();  // as the last conversion ended
  std::atomic<bool> asked{false};
  bool seen = false;
  ConversionWorker worker(
      [&](const driver::ProgressListener&) {
        while (!asked.load()) std::this_thread::yield();
        seen = platform::Cancellation::Requested();
      },
      [] {});
  EXPECT_FALSE(platform::Cancellation::Requested());
  // The window's close may come before the worker's thread has even begun.
  platform::Cancellation::Request();
  asked = true;
  worker.Finish();
  EXPECT_TRUE(seen);
  platform::Cancellation::Reset();
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
