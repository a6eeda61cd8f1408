// The progress dialog's layout and its cancel button.
#include "app/progress_dialog.h"

#include <algorithm>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/form_look.h"
#include "platform/cancellation.h"

namespace z917::app {

namespace {

constexpr int kBarSteps = 1000;

const QString kCaption = QStringLiteral("Конвертация");
const QString kReading = QStringLiteral("Конвертация журнала %1");
const QString kSaving = QStringLiteral("Сохранение файла %1");
const QString kStopping = QStringLiteral("Остановка...");

}  // namespace

ConversionProgressDialog::ConversionProgressDialog(const QString& journalName,
                                                   const QString& outputName, QWidget* owner)
    : QDialog(owner), journalName_(journalName), outputName_(outputName) {
  setObjectName("Form_Progress");
  setWindowTitle(kCaption);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowModality(Qt::ApplicationModal);
  ApplyFormLook(*this, QStringLiteral("Tahoma"));
  setFixedSize(362, 110);

  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(12, 12, 338, 16);
  Label1->setTextFormat(Qt::PlainText);
  SetLabel(kReading.arg(journalName_));
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setGeometry(12, 36, 338, 20);
  ProgressBar1->setRange(0, kBarSteps);
  ProgressBar1->setValue(0);
  BtnCancel = new QPushButton(QStringLiteral("Отмена"), this);
  BtnCancel->setObjectName("BtnCancel");
  BtnCancel->setGeometry(143, 72, 75, 25);
  connect(BtnCancel, &QPushButton::clicked, this, &ConversionProgressDialog::reject);
  BtnCancel->setFocus();
}

void ConversionProgressDialog::SetLabel(const QString& text) {
  // A long name loses its middle rather than widening the dialog.
  Label1->setText(Label1->fontMetrics().elidedText(text, Qt::ElideMiddle, Label1->width()));
}

void ConversionProgressDialog::SetProgress(const ConversionProgress& progress) {
  if (stopping_) return;
  if (progress.stage == ConversionProgress::Stage::Saving) {
    SetLabel(kSaving.arg(outputName_));
    ProgressBar1->setRange(0, kBarSteps);
    ProgressBar1->setValue(kBarSteps);
  } else if (progress.journalSize == 0) {
    ProgressBar1->setRange(0, 0);  // busy
  } else {
    const double share =
        static_cast<double>(progress.bytesRead) / static_cast<double>(progress.journalSize);
    ProgressBar1->setValue(static_cast<int>(std::min(share, 1.0) * kBarSteps));
  }
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
  SetLabel(kStopping);
  BtnCancel->setEnabled(false);
}

}  // namespace z917::app
