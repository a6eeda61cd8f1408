// Font, colours and placement of the program's windows.
#include "app/form_look.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace z917::app {

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

}  // namespace z917::app
