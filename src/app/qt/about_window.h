// The about window: logo, title with version, maker's line, one button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace z917::app::qt {

class TForm_About : public QDialog {
  Q_OBJECT

 public:
  // A modal window over `owner`, centred on the screen.
  explicit TForm_About(QWidget* owner);

  // Puts the title into Label1; runs each time the window is shown.
  void FormShow();
  // Closes the window, which ends its modal run.
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape does not close the window: it has no cancel button. Enter
  // presses the focused button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* Button1 = nullptr;
};

}  // namespace z917::app::qt
