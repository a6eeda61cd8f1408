// Font, colours and placement of the program's windows.
#include "app/qt/form_look.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace z917::app::qt {

QFont FormFont(const QString& family) {
  QFont font(family);
  font.setPointSize(8);
  // Lets font matching pick a sans-serif face when `family` is missing.
  font.setStyleHint(QFont::SansSerif);
  return font;
}

void ApplyFormLook(QWidget& form, const QString& fontFamily) {
  form.setFont(FormFont(fontFamily));
  QPalette palette = form.palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  form.setPalette(palette);
  form.setAutoFillBackground(true);
}

void CentreOnScreen(QWidget& form) {
  QScreen* screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = form.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  form.move(frame.topLeft());
}

void FitOnScreen(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  // The title bar and borders are not part of the widget's size; a frame
  // that is not known yet is taken as the usual one.
  const QSize kFrameAllowance(16, 40);
  const QSize room = screen->availableGeometry().size() - kFrameAllowance;
  window.setMaximumSize(window.maximumSize().boundedTo(room));
  window.setMinimumSize(window.minimumSizeHint().expandedTo(window.minimumSize()).boundedTo(room));
  window.resize(window.sizeHint().boundedTo(room));
}

bool PressFocusedButton(QWidget& form, QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
  auto* button = qobject_cast<QPushButton*>(form.focusWidget());
  if (button == nullptr || !button->isEnabled() || button->window() != form.window()) return false;
  event->accept();
  button->click();
  return true;
}

QPixmap LogoPixmap(double ratio) {
  if (ratio <= 1) return QPixmap(QStringLiteral(":/z917/logo.png"));
  QPixmap sharp(QStringLiteral(":/z917/logo@2x.png"));
  if (ratio != 2) {
    sharp = sharp.scaled(QSize(561, 62) * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  sharp.setDevicePixelRatio(ratio);
  return sharp;
}

}  // namespace z917::app::qt
