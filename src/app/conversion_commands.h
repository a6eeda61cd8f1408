// The window's two conversion commands without any toolkit: open dialog,
// for Excel the version query, proposed name, save dialog, conversion. Each
// front end supplies the dialogs and services and calls the commands.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/vocabulary.h"

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

// The open and save dialogs, behind an interface so that tests can answer
// them without a person.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Asks for an existing file to read; nullopt when the user cancels.
  virtual std::optional<std::string> RunOpen(const FileDialogRequest& request) = 0;
  // Asks for a file to write, confirming before an existing one is
  // replaced; nullopt when the user cancels.
  virtual std::optional<std::string> RunSave(const FileDialogRequest& request) = 0;
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

 private:
  // Steps common to both commands; `extension` is asked for only once a
  // journal has been picked.
  void Convert(FileFilter outputFilter, OutputKind kind,
               const std::function<std::string()>& extension);

  CommandServices services_;
};

}  // namespace z917::app
