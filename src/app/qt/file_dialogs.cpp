// The toolkit's open and save dialogs, set up anew before every run.
#include "app/qt/file_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "app/qt/form_look.h"

namespace z917::app::qt {

QString QtFilterText(FileFilter filter) {
  switch (filter) {
    case FileFilter::Journal:
      return QStringLiteral("Журнал Z917 (*.bin)");
    case FileFilter::ExcelWorkbook:
      return QStringLiteral("Книга Excel (*.xls *.xlsx)");
    case FileFilter::Xml:
      return QStringLiteral("Файлы XML (*.xml)");
  }
  return QString();
}

std::optional<std::string> QtFileDialogs::Run(QFileDialog& dialog, const FileDialogRequest& request,
                                              QString& lastFolder) {
  dialog.setSizeGripEnabled(true);
  dialog.setNameFilter(QtFilterText(request.filter));
  dialog.setDefaultSuffix(QFile::decodeName(QByteArray::fromStdString(request.defaultSuffix)));
  if (request.fileName.empty()) {
    if (!lastFolder.isEmpty()) dialog.setDirectory(lastFolder);
  } else {
    const QFileInfo proposed(QFile::decodeName(QByteArray::fromStdString(request.fileName)));
    dialog.setDirectory(proposed.absolutePath());
    dialog.selectFile(proposed.fileName());
  }
  // At a large scale the dialog's wish can exceed a small screen.
  FitOnScreen(dialog);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  lastFolder = dialog.directory().absolutePath();
  const QStringList chosen = dialog.selectedFiles();
  if (!accepted || chosen.isEmpty()) return std::nullopt;
  // Paths reach the driver in the file system's own encoding.
  return QFile::encodeName(chosen.front()).toStdString();
}

std::optional<std::string> QtFileDialogs::RunOpen(const FileDialogRequest& request) {
  QFileDialog OpenDialog1(owner_);
  OpenDialog1.setObjectName("OpenDialog1");
  OpenDialog1.setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1.setFileMode(QFileDialog::ExistingFile);
  return Run(OpenDialog1, request, openFolder_);
}

std::optional<std::string> QtFileDialogs::RunSave(const FileDialogRequest& request) {
  QFileDialog SaveDialog1(owner_);
  SaveDialog1.setObjectName("SaveDialog1");
  SaveDialog1.setAcceptMode(QFileDialog::AcceptSave);
  SaveDialog1.setFileMode(QFileDialog::AnyFile);
  return Run(SaveDialog1, request, saveFolder_);
}

}  // namespace z917::app::qt
