// The program's single window: two conversion commands on buttons and in
// the menu, Exit, and the about window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QMainWindow>
#include <QPointer>

#include "app/main_window_commands.h"
#include "common/vocabulary.h"

class QAction;
class QPushButton;

namespace z917::app::qt {

class TForm_About;

class TForm1 : public QMainWindow, public MainWindowCommands {
  Q_OBJECT

 public:
  // Lays the window out, centred on the screen.
  explicit TForm1(MainWindowServices services, QWidget* parent = nullptr);

  void Menu_ExitClick() override;
  void Menu_AboutClick() override;

 protected:
  // During a conversion, asks whether to stop it; if so, requests the stop
  // and closes once the conversion has ended.
  void closeEvent(QCloseEvent* event) override;
  // Enter presses the focused button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildButtons();
  void BuildMenu();
  // Runs `command` as the message loop would: an error escaping it is
  // shown in the error box and the window stays usable.
  void Guarded(void (MainWindowCommands::*command)());
  void RunInBackground(const BackgroundWork& work) override;
  bool AskStop() override;
  void CloseNow() override { close(); }
  void SetCommandsEnabled(bool enabled);

  QPushButton* BtnBinToXls = nullptr;
  QPushButton* BtnBinToXml = nullptr;
  QAction* Menu_BinXls = nullptr;
  QAction* Menu_BinXml = nullptr;
  QAction* Menu_Exit = nullptr;
  QAction* Menu_About = nullptr;
  // The about window while it is shown, null otherwise.
  QPointer<TForm_About> Form_About;
};

}  // namespace z917::app::qt
