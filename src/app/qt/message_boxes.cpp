// The modal message box every message of the program goes through.
#include "app/qt/message_boxes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QThread>

#include "app/window_texts.h"

namespace z917::app::qt {

namespace {

// The stop question's name, by which an outcome finds it open.
constexpr char kQuestionBoxName[] = "QuestionBox";

// A message box centred on the screen it shows on, owner or not: Qt would
// centre an owned dialog on its owner.
class ScreenCentredBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // sizes the box to its text first
    if (const QScreen* screen = this->screen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
};

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(MessageKind kind, const QString& text, QWidget* owner) {
  const bool error = kind == MessageKind::Error;
  auto box =
      std::make_unique<ScreenCentredBox>(error ? QMessageBox::Critical : QMessageBox::Information,
                                         CaptionOf(kind), text, QMessageBox::Ok, owner);
  box->setObjectName(error ? "ErrorBox" : "InformationBox");
  box->setWindowModality(Qt::ApplicationModal);
  // The driver's texts hold line breaks of their own; no rich text.
  box->setTextFormat(Qt::PlainText);
  return box;
}

bool AskYesNo(const QString& question, QWidget* owner) {
  ScreenCentredBox box(QMessageBox::Question, QString::fromUtf8(kQuestionCaption), question,
                       QMessageBox::Yes | QMessageBox::No, owner);
  box.setObjectName(kQuestionBoxName);
  box.setWindowModality(Qt::ApplicationModal);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

ExistingOutputs AskAboutExisting(std::size_t count, QWidget* owner) {
  const QString question =
      QString::fromUtf8(kExistingQuestion).replace(QLatin1String("%1"), QString::number(count));
  ScreenCentredBox box(QMessageBox::Question, QString::fromUtf8(kQuestionCaption), question,
                       QMessageBox::NoButton, owner);
  box.setObjectName("ExistingBox");
  box.setWindowModality(Qt::ApplicationModal);
  box.setTextFormat(Qt::PlainText);
  QAbstractButton* replace =
      box.addButton(QString::fromUtf8(kReplaceButton), QMessageBox::AcceptRole);
  QPushButton* skip = box.addButton(QString::fromUtf8(kSkipButton), QMessageBox::ActionRole);
  QAbstractButton* stop = box.addButton(QString::fromUtf8(kStopButton), QMessageBox::RejectRole);
  box.setEscapeButton(stop);
  box.setDefaultButton(skip);
  box.exec();
  if (box.clickedButton() == replace) return ExistingOutputs::Replace;
  if (box.clickedButton() == static_cast<QAbstractButton*>(skip)) return ExistingOutputs::Skip;
  return ExistingOutputs::Stop;
}

namespace {

// The conversion the question asks about has ended; the question would
// otherwise wait under the outcome and still say it is running.
void CloseStopQuestion() {
  auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (question != nullptr && question->objectName() == QLatin1String(kQuestionBoxName)) {
    question->done(QMessageBox::No);
  }
}

}  // namespace

bool IsMessageBox(const QWidget* window) {
  if (qobject_cast<const QMessageBox*>(window) == nullptr) return false;
  return window->objectName() == QLatin1String("ErrorBox") ||
         window->objectName() == QLatin1String("InformationBox");
}

void MessageBoxes::ShowMessage(MessageKind kind, const std::string& text) {
  MakeMessageBox(kind, QString::fromStdString(text), owner_)->exec();
}

void GuiThreadMessages::ShowMessage(MessageKind kind, const std::string& text) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() == app->thread()) {
    messages_.ShowMessage(kind, text);
    return;
  }
  QMetaObject::invokeMethod(
      app,
      [this, kind, &text] {
        CloseStopQuestion();
        messages_.ShowMessage(kind, text);
      },
      Qt::BlockingQueuedConnection);
}

}  // namespace z917::app::qt
