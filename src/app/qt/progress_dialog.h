// The modal window a long conversion shows: the journal's name, a progress
// bar and "Отмена".
#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QString>

#include "driver/conversion_progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace z917::app::qt {

class ConversionProgressDialog : public QDialog {
  Q_OBJECT

 public:
  // A hidden dialog over `owner` for converting the journals
  // `journalNames`, one or a batch, into `outputName` (empty for a batch);
  // file names in UTF-8, shown as given.
  ConversionProgressDialog(std::vector<std::string> journalNames, std::string outputName,
                           QWidget* owner);

  // Shows the share of the journal read, then the share of the output
  // saved (a full bar when the writer does not tell it); a busy bar when
  // the journal's size is unknown.
  void SetProgress(const driver::ConversionProgress& progress);
  // Closes the dialog for good once the conversion has ended.
  void Finish();
  // "Отмена", Escape and the close button: asks the conversion to stop and
  // keeps the dialog until it has (see Finish).
  void reject() override;

 private:
  // Shows `text` (UTF-8).
  void SetLabel(const std::string& text);

  const std::vector<std::string> journalNames_;
  const std::string outputName_;
  QLabel* Label1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* BtnCancel = nullptr;
  bool finished_ = false;
  bool stopping_ = false;
};

}  // namespace z917::app::qt
