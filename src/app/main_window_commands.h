// What both main windows do whatever their toolkit: the two conversion
// commands on buttons and menu items, whether a conversion is running, and
// a close that waits for the conversion it stopped.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/conversion_commands.h"
#include "common/vocabulary.h"
#include "driver/batch_conversion.h"
#include "driver/conversion_progress.h"

namespace z917::app {

// What a main window's commands call out to, in either toolkit; each must
// outlive the window.
struct MainWindowServices {
  FileDialogs& dialogs;
  ExcelVersionQuery excelVersion;
  // Converts `journal` into `output`, telling `progress` how far it got;
  // runs on a worker thread and shows its messages through a sink that
  // reaches the window's thread. The user has been told the outcome when
  // it returns.
  std::function<void(const std::string& journal, const std::string& output, OutputKind kind,
                     const driver::ProgressListener& progress)>
      convertJournal;
  // Shows an error that escaped a command, and a batch's summary.
  MessageSink& errors;
  // Asks whether closing the window may stop the running conversion; when
  // empty, the window's own question box asks.
  std::function<bool()> confirmStop = {};
  // Converts a batch as driver::ConvertBatch does, on a worker thread;
  // tells nobody anything but `ended`.
  std::function<void(const std::vector<driver::BatchItem>& items, OutputKind kind,
                     const driver::ProgressListener& progress, const driver::BatchListener& ended)>
      convertBatch = {};
};

// The main window's commands and state; each toolkit's TForm1 derives from
// it and supplies the toolkit's part.
class MainWindowCommands {
 public:
  explicit MainWindowCommands(MainWindowServices services);
  virtual ~MainWindowCommands() = default;
  MainWindowCommands(const MainWindowCommands&) = delete;
  MainWindowCommands& operator=(const MainWindowCommands&) = delete;

  // The Excel command: journal, version query, output name, conversion.
  // Throws what the version query or the conversion throws; a close asked
  // for while Excel starts ends it there and closes the window.
  void BtnBinToXlsClick();
  // The XML command: journal, output name, conversion.
  void BtnBinToXmlClick() { commands_.BtnBinToXmlClick(); }
  // The menu items do what the buttons of the same caption do.
  void Menu_BinXlsClick() { BtnBinToXlsClick(); }
  void Menu_BinXmlClick() { BtnBinToXmlClick(); }
  // The Excel command for journals given from outside the window: its
  // arguments or a drop. Throws as BtnBinToXlsClick.
  void OpenJournals(const std::vector<std::string>& journals);
  // Closes the window, which ends the program.
  virtual void Menu_ExitClick() = 0;
  // Shows a new about window modally and destroys it afterwards.
  virtual void Menu_AboutClick() = 0;

  // Whether a conversion is running.
  bool Converting() const { return converting_; }

 protected:
  const MainWindowServices& Services() const { return services_; }
  // The user asked to close the window: true when it may close now. During
  // a conversion it asks, once, whether to stop it; if so it requests the
  // stop, and the window closes as soon as the conversion has ended.
  bool MayClose();

  // A conversion or a batch, for the window to run off its thread.
  struct BackgroundWork {
    // The journals in order, whose names the progress window shows; none
    // while Excel starts to tell its version.
    std::vector<std::string> journals;
    // The output of a single conversion; empty for a batch.
    std::string output;
    std::function<void(const driver::ProgressListener&)> run;
  };

 private:
  // Runs `work` off the window's thread with the commands disabled and a
  // progress window, and returns once it has ended; throws what it threw.
  virtual void RunInBackground(const BackgroundWork& work) = 0;
  // Asks in the window's own question box whether to stop and close.
  virtual bool AskStop() = 0;
  // Closes the window now.
  virtual void CloseNow() = 0;

  // The Excel version, asked off the window's thread the first time and
  // kept for the program's run; throws what the query throws, and
  // ClosedWhileExcelStarted when the user closed the window meanwhile.
  std::uint32_t ExcelVersion();
  // Runs an Excel command, which a close while Excel started ends with the
  // window, before any dialog.
  void RunExcelCommand(const std::function<void()>& command);
  void Run(const std::string& journal, const std::string& output, OutputKind kind);
  void RunBatch(const std::vector<driver::BatchItem>& items, OutputKind kind, std::size_t skipped);
  // Runs `work` as the running conversion.
  void RunMarked(const BackgroundWork& work);

  MainWindowServices services_;
  ConversionCommands commands_;
  std::optional<std::uint32_t> excelVersion_;
  bool converting_ = false;
  bool closeWhenDone_ = false;
};

}  // namespace z917::app
