// The conversion a main window runs, and the close that waits for it.
#include "app/main_window_commands.h"

#include <optional>
#include <utility>

#include "app/batch_summary.h"
#include "platform/cancellation.h"

namespace z917::app {

MainWindowCommands::MainWindowCommands(MainWindowServices services)
    : services_(std::move(services)),
      commands_({services_.dialogs, [this] { return ExcelVersion(); },
                 [this](const std::string& journal, const std::string& output, OutputKind kind) {
                   Run(journal, output, kind);
                 },
                 [this](const std::vector<driver::BatchItem>& items, OutputKind kind,
                        std::size_t skipped) { RunBatch(items, kind, skipped); }}) {}

namespace {

// The user closed the window while Excel started: the command goes no
// further, since the stop the close asked for would otherwise be lost when
// the conversion's worker starts afresh.
struct ClosedWhileExcelStarted {};

}  // namespace

void MainWindowCommands::BtnBinToXlsClick() {
  RunExcelCommand([this] { commands_.BtnBinToXlsClick(); });
}

void MainWindowCommands::OpenJournals(const std::vector<std::string>& journals) {
  RunExcelCommand([&] { commands_.OpenJournals(journals); });
}

void MainWindowCommands::RunExcelCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const ClosedWhileExcelStarted&) {
    CloseNow();
  }
}

std::uint32_t MainWindowCommands::ExcelVersion() {
  if (excelVersion_) return *excelVersion_;
  // Excel may take seconds to start: the window keeps turning meanwhile.
  std::uint32_t version = 0;
  RunMarked({{}, {}, [&](const driver::ProgressListener&) { version = services_.excelVersion(); }});
  excelVersion_ = version;
  if (closeWhenDone_) throw ClosedWhileExcelStarted{};
  return version;
}

void MainWindowCommands::Run(const std::string& journal, const std::string& output,
                             OutputKind kind) {
  RunMarked({{journal}, output, [&](const driver::ProgressListener& progress) {
               services_.convertJournal(journal, output, kind, progress);
             }});
  if (closeWhenDone_) CloseNow();
}

void MainWindowCommands::RunBatch(const std::vector<driver::BatchItem>& items, OutputKind kind,
                                  std::size_t skipped) {
  std::vector<std::optional<driver::BatchOutcome>> outcomes(items.size());
  BackgroundWork work{{}, {}, [&](const driver::ProgressListener& progress) {
                        services_.convertBatch(
                            items, kind, progress,
                            [&outcomes](std::size_t i, const driver::BatchOutcome& outcome) {
                              outcomes[i] = outcome;
                            });
                      }};
  for (const driver::BatchItem& item : items) work.journals.push_back(item.journal);
  if (!items.empty()) RunMarked(work);
  // As a single conversion's outcome, the summary shows before a close
  // the user asked for meanwhile.
  const BatchSummary summary = SummaryOf(items, outcomes, skipped);
  services_.errors.ShowMessage(summary.kind, summary.text);
  if (closeWhenDone_) CloseNow();
}

void MainWindowCommands::RunMarked(const BackgroundWork& work) {
  // Whatever the conversion throws, the window counts as idle afterwards.
  struct Idle {
    bool& converting;
    ~Idle() { converting = false; }
  } idle{converting_};
  converting_ = true;
  RunInBackground(work);
  converting_ = false;
}

bool MainWindowCommands::MayClose() {
  if (!converting_) return true;
  if (closeWhenDone_) return false;
  const bool stop = services_.confirmStop ? services_.confirmStop() : AskStop();
  if (stop) {
    closeWhenDone_ = true;
    platform::Cancellation::Request();
  }
  return false;
}

}  // namespace z917::app
