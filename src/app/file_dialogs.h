// The open and save dialogs the main window's commands run, behind an
// interface so that tests can answer them without a person.
#pragma once

#include <optional>

#include <QPointer>
#include <QString>
#include <QWidget>

class QFileDialog;

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

// The toolkit's file dialogs. Each run builds a fresh dialog, so that no
// name carries over; the open and the save dialog each remember the folder
// they were last left in.
class QtFileDialogs : public FileDialogs {
 public:
  QtFileDialogs() = default;
  // Later dialogs are modal over `owner` and centred on it.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  // Runs the open dialog; the path and the file must exist.
  std::optional<QString> RunOpen(const FileDialogRequest& request) override;
  // Runs the save dialog; replacing an existing file is confirmed.
  std::optional<QString> RunSave(const FileDialogRequest& request) override;

 private:
  std::optional<QString> Run(QFileDialog& dialog, const FileDialogRequest& request,
                             QString& lastFolder);

  QPointer<QWidget> owner_;
  QString openFolder_;  // where OpenDialog1 was last left
  QString saveFolder_;  // where SaveDialog1 was last left
};

}  // namespace z917::app
