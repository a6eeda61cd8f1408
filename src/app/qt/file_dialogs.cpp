// The toolkit's open and save dialogs, set up anew before every run.
#include "app/qt/file_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "app/qt/form_look.h"
#include "app/qt/message_boxes.h"

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

std::vector<std::string> QtFileDialogs::Run(QFileDialog& dialog, const FileDialogRequest& request,
                                            QString& lastFolder) {
  dialog.setSizeGripEnabled(true);
  const bool folders = dialog.fileMode() == QFileDialog::Directory;
  // Folders are picked whatever files they hold.
  if (!folders) dialog.setNameFilter(QtFilterText(request.filter));
  dialog.setDefaultSuffix(QFile::decodeName(QByteArray::fromStdString(request.defaultSuffix)));
  if (request.fileName.empty()) {
    if (!lastFolder.isEmpty()) dialog.setDirectory(lastFolder);
  } else if (folders) {
    dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(request.fileName)));
  } else {
    const QFileInfo proposed(QFile::decodeName(QByteArray::fromStdString(request.fileName)));
    dialog.setDirectory(proposed.absolutePath());
    dialog.selectFile(proposed.fileName());
  }
  // At a large scale the dialog's wish can exceed a small screen.
  FitOnScreen(dialog);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  lastFolder = dialog.directory().absolutePath();
  std::vector<std::string> chosen;
  if (!accepted) return chosen;
  // Paths reach the driver in the file system's own encoding.
  for (const QString& path : dialog.selectedFiles())
    chosen.push_back(QFile::encodeName(path).toStdString());
  return chosen;
}

std::vector<std::string> QtFileDialogs::RunOpen(const FileDialogRequest& request) {
  QFileDialog OpenDialog1(owner_);
  OpenDialog1.setObjectName("OpenDialog1");
  OpenDialog1.setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1.setFileMode(QFileDialog::ExistingFiles);
  return Run(OpenDialog1, request, openFolder_);
}

std::optional<std::string> QtFileDialogs::RunSave(const FileDialogRequest& request) {
  QFileDialog SaveDialog1(owner_);
  SaveDialog1.setObjectName("SaveDialog1");
  SaveDialog1.setAcceptMode(QFileDialog::AcceptSave);
  SaveDialog1.setFileMode(QFileDialog::AnyFile);
  const std::vector<std::string> chosen = Run(SaveDialog1, request, saveFolder_);
  if (chosen.empty()) return std::nullopt;
  return chosen.front();
}

std::optional<std::string> QtFileDialogs::RunFolder(const FileDialogRequest& request) {
  QFileDialog FolderDialog1(owner_);
  FolderDialog1.setObjectName("FolderDialog1");
  FolderDialog1.setAcceptMode(QFileDialog::AcceptOpen);
  FolderDialog1.setFileMode(QFileDialog::Directory);
  FolderDialog1.setOption(QFileDialog::ShowDirsOnly);
  FolderDialog1.setWindowTitle(QStringLiteral("Папка для результатов"));
  const std::vector<std::string> chosen = Run(FolderDialog1, request, saveFolder_);
  if (chosen.empty()) return std::nullopt;
  return chosen.front();
}

ExistingOutputs QtFileDialogs::AskExisting(std::size_t count) {
  return AskAboutExisting(count, owner_);
}

}  // namespace z917::app::qt
