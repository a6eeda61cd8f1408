// The about window's layout.
#include "app/qt/about_window.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "app/qt/form_look.h"
#include "app/window_texts.h"

namespace z917::app::qt {

namespace {

QLabel* MakeCentredLabel(QWidget* parent, const char* name, int top) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setGeometry(8, top, 569, 13);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  return label;
}

}  // namespace

TForm_About::TForm_About(QWidget* owner) : QDialog(owner) {
  setObjectName("Form_About");
  setWindowTitle(QString::fromUtf8(kAboutCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setModal(true);
  ApplyFormLook(*this, QStringLiteral("MS Sans Serif"));
  setFixedSize(582, 243);

  auto* Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setGeometry(8, 8, 568, 68);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* Image1 = new QLabel(Panel1);
  Image1->setObjectName("Image1");
  Image1->setGeometry(3, 3, 561, 62);
  Image1->setAlignment(Qt::AlignCenter);
  // Drawn on a transparent ground, so the panel's colour shows through.
  Image1->setPixmap(LogoPixmap(devicePixelRatioF()));

  Label1 = MakeCentredLabel(this, "Label1", 89);
  Label2 = MakeCentredLabel(this, "Label2", 113);
  Label2->setText(QString::fromUtf8(kMakerLine));

  Button1 = new QPushButton(QStringLiteral("ОК"), this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(500, 209, 75, 25);
  Button1->setAutoDefault(false);
  Button1->setDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TForm_About::Button1Click);
  Button1->setFocus();

  // The owner is only the modal parent; the window centres on the screen.
  CentreOnScreen(*this);
}

void TForm_About::FormShow() { Label1->setText(QString::fromUtf8(kAboutTitle)); }

void TForm_About::Button1Click() { accept(); }

void TForm_About::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TForm_About::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  if (PressFocusedButton(*this, event)) return;
  QDialog::keyPressEvent(event);
}

}  // namespace z917::app::qt
