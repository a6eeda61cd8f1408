// The toolkit's open and save dialogs, set up anew before every run.
#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

#include "app/form_look.h"

namespace z917::app {

std::optional<QString> QtFileDialogs::Run(QFileDialog& dialog, const FileDialogRequest& request,
                                          QString& lastFolder) {
  dialog.setSizeGripEnabled(true);
  dialog.setNameFilter(request.filter);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (request.fileName.isEmpty()) {
    if (!lastFolder.isEmpty()) dialog.setDirectory(lastFolder);
  } else {
    const QFileInfo proposed(request.fileName);
    dialog.setDirectory(proposed.absolutePath());
    dialog.selectFile(proposed.fileName());
  }
  // At a large scale the dialog's wish can exceed a small screen.
  FitOnScreen(dialog);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  lastFolder = dialog.directory().absolutePath();
  const QStringList chosen = dialog.selectedFiles();
  if (!accepted || chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

std::optional<QString> QtFileDialogs::RunOpen(const FileDialogRequest& request) {
  QFileDialog OpenDialog1(owner_);
  OpenDialog1.setObjectName("OpenDialog1");
  OpenDialog1.setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1.setFileMode(QFileDialog::ExistingFile);
  return Run(OpenDialog1, request, openFolder_);
}

std::optional<QString> QtFileDialogs::RunSave(const FileDialogRequest& request) {
  QFileDialog SaveDialog1(owner_);
  SaveDialog1.setObjectName("SaveDialog1");
  SaveDialog1.setAcceptMode(QFileDialog::AcceptSave);
  SaveDialog1.setFileMode(QFileDialog::AnyFile);
  return Run(SaveDialog1, request, saveFolder_);
}

}  // namespace z917::app
