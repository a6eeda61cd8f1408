// What the program's two windows share in look and placement.
#pragma once

#include <QFont>
#include <QString>

class QWidget;

namespace z917::app {

// `family` at 8 points; where it is not installed the system's sans-serif
// face stands in.
QFont FormFont(const QString& family);

// Gives `form` the font and the button-face colour as its background.
void ApplyFormLook(QWidget& form, const QString& fontFamily);

// Moves `form` so that its frame is centred on the screen it is on.
void CentreOnScreen(QWidget& form);

}  // namespace z917::app
