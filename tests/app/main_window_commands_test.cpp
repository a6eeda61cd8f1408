// A batch as a window runs it, toolkit aside: the real conversions one
// after another, a close asked for midway, and the summary at the end.
#include "app/main_window_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "driver/batch_conversion.h"
#include "platform/cancellation.h"
#include "support/journal_files.h"
#include "support/recorded_messages.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

namespace z917::app {
namespace {

// A window that runs its work on its own thread at once.
class SynchronousWindow : public MainWindowCommands {
 public:
  using MainWindowCommands::MainWindowCommands;
  using MainWindowCommands::MayClose;
  void Menu_ExitClick() override {}
  void Menu_AboutClick() override {}
  std::vector<std::string> shownJournals;
  // How many works ran in the background, and of those how many without
  // journals (Excel telling its version).
  int works = 0;
  int versionWorks = 0;
  int closes = 0;

 private:
  void RunInBackground(const BackgroundWork& work) override {
    shownJournals = work.journals;
    ++works;
    versionWorks += work.journals.empty();
    work.run([](const driver::ConversionProgress&) {});
  }
  bool AskStop() override { return true; }
  void CloseNow() override { ++closes; }
};

TEST(MainWindowCommandsTest, CloseDuringABatchStopsItAfterTheJournalAtHandAndShowsTheSummaryFirst) {
  test::TempFolder dir("z917_window_batch");
  test::ScriptedDialogs dialogs;
  test::RecordingMessages messages;
  for (const char* name : {"a.bin", "b.bin", "c.bin"})
    dialogs.openAnswer.push_back(test::WriteSyntheticJournal(dir / name, {200, 1}));
  dialogs.folderAnswer = test::Utf8(dir.Path());
  SynchronousWindow* window = nullptr;
  MainWindowServices services{dialogs, [] { return 16u; }, [](auto&&...) {}, messages};
  services.convertBatch = [&window](const std::vector<driver::BatchItem>& items, OutputKind kind,
                                    const driver::ProgressListener& progress,
                                    const driver::BatchListener& ended) {
    driver::ConvertBatch(
        items, kind, 1,
        [&](std::size_t i, const driver::BatchOutcome& outcome) {
          ended(i, outcome);
          EXPECT_FALSE(window->MayClose());  // asks, stops, waits
        },
        progress);
  };
  SynchronousWindow form(services);
  window = &form;

  platform::Cancellation::Reset();
  form.BtnBinToXmlClick();
  EXPECT_EQ(form.shownJournals, dialogs.openAnswer);
  EXPECT_EQ(messages.shown,
            std::vector<test::Shown>(
                {test::Error("Сконвертировано журналов: 1 из 3\nНе начаты после остановки: 2")}));
  EXPECT_EQ(form.closes, 1);
  EXPECT_TRUE(std::filesystem::exists(dir / "a.xml"));
  EXPECT_FALSE(std::filesystem::exists(dir / "b.xml"));
  platform::Cancellation::Reset();
}

TEST(MainWindowCommandsTest, ExcelTellsItsVersionInTheBackgroundOnceAKeptAnswer) {
  test::ScriptedDialogs dialogs;
  test::RecordingMessages messages;
  dialogs.openAnswer = {"/d/j.bin"};
  int queries = 0;
  bool starts = false;
  SynchronousWindow form({dialogs,
                          [&] {
                            ++queries;
                            if (!starts) throw std::runtime_error("Excel не запускается");
                            return 16u;
                          },
                          [](auto&&...) {}, messages});
  EXPECT_THROW(form.BtnBinToXlsClick(), std::runtime_error);
  starts = true;
  form.BtnBinToXlsClick();
  form.BtnBinToXlsClick();
  EXPECT_EQ(queries, 2);  // a failed answer is not kept
  EXPECT_EQ(form.versionWorks, 2);
  EXPECT_EQ(dialogs.runs.back().request.fileName, "/d/j.xlsx");
}

TEST(MainWindowCommandsTest, CloseWhileExcelStartsClosesBeforeTheSaveDialogOrAConversion) {
  test::ScriptedDialogs dialogs;
  test::RecordingMessages messages;
  dialogs.openAnswer = {"/d/j.bin"};
  SynchronousWindow* window = nullptr;
  int conversions = 0;
  SynchronousWindow form({dialogs,
                          [&] {
                            EXPECT_FALSE(window->MayClose());
                            return 16u;
                          },
                          [&](auto&&...) { ++conversions; }, messages});
  window = &form;
  form.BtnBinToXlsClick();
  EXPECT_EQ(form.closes, 1);
  EXPECT_EQ(dialogs.SaveRuns(), std::vector<bool>{false});  // the journal was chosen, no more
  EXPECT_EQ(conversions, 0);
  EXPECT_TRUE(messages.shown.empty());
  platform::Cancellation::Reset();
}

}  // namespace
}  // namespace z917::app
