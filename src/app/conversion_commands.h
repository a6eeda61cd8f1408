// The window's two conversion commands without any toolkit: open dialog,
// for Excel the version query, proposed name, save dialog, conversion; for
// several journals a folder, the question about files already there and
// one batch. Each front end supplies the dialogs and services and calls the
// commands.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/vocabulary.h"
#include "driver/batch_conversion.h"

namespace z917::app {

// Which filter a file dialog offers; each front end shows it in its own form.
enum class FileFilter { Journal, ExcelWorkbook, Xml };

// How a command sets a dialog up before running it. Paths are as the driver
// takes them: UTF-8 on Windows, the file system's bytes elsewhere.
struct FileDialogRequest {
  FileFilter filter = FileFilter::Journal;
  // The full path the dialog proposes; empty proposes nothing.
  std::string fileName;
  // Appended to a typed name without an extension; empty appends nothing.
  std::string defaultSuffix;
  bool operator==(const FileDialogRequest&) const = default;
};

// What the user answers when outputs of a batch exist already.
enum class ExistingOutputs { Replace, Skip, Stop };

// The open, save and folder dialogs and the batch's one question, behind an
// interface so that tests can answer them without a person.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Asks for one or more existing files to read, in the order the dialog
  // gives them; empty when the user cancels.
  virtual std::vector<std::string> RunOpen(const FileDialogRequest& request) = 0;
  // Asks for a file to write, confirming before an existing one is
  // replaced; nullopt when the user cancels.
  virtual std::optional<std::string> RunSave(const FileDialogRequest& request) = 0;
  // Asks for an existing folder, starting in `request.fileName`; nullopt
  // when the user cancels.
  virtual std::optional<std::string> RunFolder(const FileDialogRequest& request) = 0;
  // Asks what to do about `count` outputs that exist already.
  virtual ExistingOutputs AskExisting(std::size_t count) = 0;
};

// The installed Excel's major version, 0 when it gives none; throws when
// Excel cannot be started.
using ExcelVersionQuery = std::function<std::uint32_t()>;

// What the commands call out to; the dialogs must outlive the commands.
struct CommandServices {
  FileDialogs& dialogs;
  ExcelVersionQuery excelVersion;
  // Converts `journal` into `output`; the user has been told the outcome
  // when it returns.
  std::function<void(const std::string& journal, const std::string& output, OutputKind kind)>
      runConversion;
  // Converts every item of a batch; `skipped` journals were left out since
  // their outputs exist. The user has been told the outcome when it returns.
  std::function<void(const std::vector<driver::BatchItem>& items, OutputKind kind,
                     std::size_t skipped)>
      runBatch;
};

// The commands both windows run from their buttons and menu items.
class ConversionCommands {
 public:
  explicit ConversionCommands(CommandServices services);

  // The Excel command: journal, version query, output name, conversion.
  // Throws what the version query or the conversion throws; a cancelled
  // dialog ends it silently.
  void BtnBinToXlsClick();
  // The XML command: journal, output name, conversion. Throws what the
  // conversion throws.
  void BtnBinToXmlClick();
  // The Excel command for `journals` given from outside (arguments, a
  // drop): the open dialog is skipped. Throws as BtnBinToXlsClick.
  void OpenJournals(const std::vector<std::string>& journals);

 private:
  struct Target {
    FileFilter filter;
    OutputKind kind;
    // Asked for only once a journal has been picked.
    std::function<std::string()> extension;
  };
  Target ExcelTarget();
  Target XmlTarget();
  // The steps after the open dialog: one journal goes through the save
  // dialog, several through the folder dialog into a batch.
  void Convert(const std::vector<std::string>& journals, const Target& target);
  void ConvertMany(const std::vector<std::string>& journals, const Target& target);

  CommandServices services_;
};

}  // namespace z917::app
