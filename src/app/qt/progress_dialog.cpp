// The progress dialog's layout and its cancel button.
#include "app/qt/progress_dialog.h"

#include <utility>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/progress_display.h"
#include "app/qt/form_look.h"
#include "platform/cancellation.h"

namespace z917::app::qt {

ConversionProgressDialog::ConversionProgressDialog(std::vector<std::string> journalNames,
                                                   std::string outputName, QWidget* owner)
    : QDialog(owner), journalNames_(std::move(journalNames)), outputName_(std::move(outputName)) {
  setObjectName("Form_Progress");
  setWindowTitle(QString::fromStdString(ProgressCaption()));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  // Modeless, as on Windows: the main window, its commands disabled, still
  // takes the window system's close, which asks whether to stop.
  setWindowModality(Qt::NonModal);
  ApplyFormLook(*this, QStringLiteral("Tahoma"));
  setFixedSize(362, 110);

  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(12, 12, 338, 16);
  Label1->setTextFormat(Qt::PlainText);
  SetLabel(ProgressLabel({}, journalNames_, outputName_));
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setGeometry(12, 36, 338, 20);
  ProgressBar1->setRange(0, kProgressBarSteps);
  ProgressBar1->setValue(0);
  BtnCancel = new QPushButton(QStringLiteral("Отмена"), this);
  BtnCancel->setObjectName("BtnCancel");
  BtnCancel->setGeometry(143, 72, 75, 25);
  connect(BtnCancel, &QPushButton::clicked, this, &ConversionProgressDialog::reject);
  BtnCancel->setFocus();
}

void ConversionProgressDialog::SetLabel(const std::string& text) {
  // A long name loses its middle rather than widening the dialog.
  Label1->setText(Label1->fontMetrics().elidedText(QString::fromStdString(text), Qt::ElideMiddle,
                                                   Label1->width()));
}

void ConversionProgressDialog::SetProgress(const driver::ConversionProgress& progress) {
  if (stopping_) return;
  SetLabel(ProgressLabel(progress, journalNames_, outputName_));
  const ProgressBarPosition bar = BarPositionFor(progress);
  ProgressBar1->setRange(0, bar.busy ? 0 : kProgressBarSteps);
  ProgressBar1->setValue(bar.value);
}

void ConversionProgressDialog::Finish() {
  finished_ = true;
  QDialog::reject();
}

void ConversionProgressDialog::reject() {
  if (finished_) {
    QDialog::reject();
    return;
  }
  platform::Cancellation::Request();
  stopping_ = true;
  SetLabel(StoppingLabel());
  BtnCancel->setEnabled(false);
}

}  // namespace z917::app::qt
