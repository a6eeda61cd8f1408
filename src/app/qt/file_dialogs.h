// The toolkit's open and save dialogs behind the commands' FileDialogs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/conversion_commands.h"

class QFileDialog;

namespace z917::app::qt {

// `filter` in the toolkit's form, for example "Журнал Z917 (*.bin)".
QString QtFilterText(FileFilter filter);

// The toolkit's file dialogs and the batch's question. Each run builds a
// fresh dialog, so that no name carries over; the open and the save dialog
// each remember the folder they were last left in. Paths go in and come
// out in the file system's own encoding.
class QtFileDialogs : public FileDialogs {
 public:
  QtFileDialogs() = default;
  // Later dialogs are modal over `owner` and centred on it.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  // Runs the open dialog for one file or more; each must exist.
  std::vector<std::string> RunOpen(const FileDialogRequest& request) override;
  // Runs the save dialog; replacing an existing file is confirmed.
  std::optional<std::string> RunSave(const FileDialogRequest& request) override;
  // Runs the save dialog's folder form, which remembers where it was left.
  std::optional<std::string> RunFolder(const FileDialogRequest& request) override;
  // Asks in a question box with the three answers' buttons.
  ExistingOutputs AskExisting(std::size_t count) override;

 private:
  // The paths chosen, none when the user cancelled.
  std::vector<std::string> Run(QFileDialog& dialog, const FileDialogRequest& request,
                               QString& lastFolder);

  QPointer<QWidget> owner_;
  QString openFolder_;  // where OpenDialog1 was last left
  QString saveFolder_;  // where SaveDialog1 was last left
};

}  // namespace z917::app::qt
