// The toolkit's open and save dialogs, set up anew before every run.
#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace z917::app {

namespace {

std::optional<QString> Run(QFileDialog& dialog, const FileDialogRequest& request) {
  dialog.setNameFilter(request.filter);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (request.fileName.isEmpty()) {
    // Keeps the folder last visited and clears the name.
    dialog.selectFile(QString());
  } else {
    const QFileInfo proposed(request.fileName);
    dialog.setDirectory(proposed.absolutePath());
    dialog.selectFile(proposed.fileName());
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

}  // namespace

void QtFileDialogs::SetOwner(QWidget* owner) {
  owner_ = owner;
  delete openDialog_;
  delete saveDialog_;
}

QFileDialog& QtFileDialogs::Dialog(QPointer<QFileDialog>& dialog, bool forSaving) {
  if (dialog) return *dialog;
  // Without an owner the dialog is ours to keep until the process ends.
  dialog = new QFileDialog(owner_);
  dialog->setObjectName(forSaving ? "SaveDialog1" : "OpenDialog1");
  dialog->setSizeGripEnabled(true);
  if (forSaving) {
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
  } else {
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
  }
  return *dialog;
}

std::optional<QString> QtFileDialogs::RunOpen(const FileDialogRequest& request) {
  return Run(Dialog(openDialog_, false), request);
}

std::optional<QString> QtFileDialogs::RunSave(const FileDialogRequest& request) {
  return Run(Dialog(saveDialog_, true), request);
}

}  // namespace z917::app
