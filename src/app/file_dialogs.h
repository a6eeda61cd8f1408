// The open and save dialogs the main window's commands run, behind an
// interface so that tests can answer them without a person.
#pragma once

#include <optional>

#include <QPointer>
#include <QString>

class QFileDialog;
class QWidget;

namespace z917::app {

// How a command sets a dialog up before running it.
struct FileDialogRequest {
  // One filter in Qt's form, for example "Журнал Z917 (*.bin)".
  QString filter;
  // The full path the dialog proposes; empty proposes nothing.
  QString fileName;
  // Appended to a typed name without an extension; empty appends nothing.
  QString defaultSuffix;
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Asks for an existing file to read; nullopt when the user cancels.
  virtual std::optional<QString> RunOpen(const FileDialogRequest& request) = 0;
  // Asks for a file to write, confirming before an existing one is
  // replaced; nullopt when the user cancels.
  virtual std::optional<QString> RunSave(const FileDialogRequest& request) = 0;
};

// The toolkit's file dialogs, one open and one save dialog kept for the
// life of the owner so that each remembers the folder last visited.
class QtFileDialogs : public FileDialogs {
 public:
  QtFileDialogs() = default;
  // Creates both dialogs as children of `owner`, centred on it.
  void SetOwner(QWidget* owner);

  // Runs the open dialog; the path and the file must exist.
  std::optional<QString> RunOpen(const FileDialogRequest& request) override;
  // Runs the save dialog; replacing an existing file is confirmed.
  std::optional<QString> RunSave(const FileDialogRequest& request) override;

 private:
  QFileDialog& Dialog(QPointer<QFileDialog>& dialog, bool forSaving);

  QPointer<QWidget> owner_;
  QPointer<QFileDialog> openDialog_;  // OpenDialog1
  QPointer<QFileDialog> saveDialog_;  // SaveDialog1
};

}  // namespace z917::app
