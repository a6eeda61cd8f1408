// The modal message box every message of the program goes through.
#include "app/message_boxes.h"

#include <QMessageBox>
#include <QScreen>

namespace z917::app {

namespace {

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

std::unique_ptr<QMessageBox> MakeMessageBox(MessageKind kind, const QString& text,
                                            QWidget* owner) {
  const bool error = kind == MessageKind::Error;
  auto box = std::make_unique<ScreenCentredBox>(
      error ? QMessageBox::Critical : QMessageBox::Information, error ? "Error" : "Information",
      text, QMessageBox::Ok, owner);
  box->setObjectName(error ? "ErrorBox" : "InformationBox");
  box->setWindowModality(Qt::ApplicationModal);
  // The driver's texts hold line breaks of their own; no rich text.
  box->setTextFormat(Qt::PlainText);
  return box;
}

void MessageBoxes::ShowMessage(MessageKind kind, const std::string& text) {
  MakeMessageBox(kind, QString::fromStdString(text), owner_)->exec();
}

}  // namespace z917::app
