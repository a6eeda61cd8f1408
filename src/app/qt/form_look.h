// What the program's two windows share in look and placement.
#pragma once

#include <QFont>
#include <QString>

class QKeyEvent;
class QPixmap;
class QWidget;

namespace z917::app::qt {

// `family` at 8 points; where it is not installed the system's sans-serif
// face stands in.
QFont FormFont(const QString& family);

// Gives `form` the font and the button-face colour as its background.
void ApplyFormLook(QWidget& form, const QString& fontFamily);

// Moves `form` so that its frame is centred on the screen it is on.
void CentreOnScreen(QWidget& form);

// Keeps `window` within the screen it is on: never larger than the
// screen's free area, sized to its wish where that fits.
void FitOnScreen(QWidget& window);

// Enter or Return on a focused push button of `form` presses it, as on
// Windows (the toolkit leaves that to dialogs' default buttons). True when
// `event` was such a key and the button was pressed.
bool PressFocusedButton(QWidget& form, QKeyEvent* event);

// The about window's logo, 561x62 logical pixels, drawn for `ratio` device
// pixels to a logical one: from the double-size artwork when the screen
// has more than one, so that it stays sharp.
QPixmap LogoPixmap(double ratio);

}  // namespace z917::app::qt
