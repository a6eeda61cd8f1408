// The program's single window: two conversion commands on buttons and in
// the menu, Exit, and the about window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
  // Runs the Excel command for `journals` (paths in the file system's
  // encoding) once the event loop turns: the window's arguments, a drop.
  void OpenJournalsSoon(const std::vector<std::string>& journals);

 protected:
  // During a conversion, asks whether to stop it; if so, requests the stop
  // and closes once the conversion has ended.
  void closeEvent(QCloseEvent* event) override;
  // Enter presses the focused button.
  void keyPressEvent(QKeyEvent* event) override;
  // Journal files dropped on the window start the Excel command, as its
  // arguments do; nothing is taken while a conversion runs.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildButtons();
  void BuildMenu();
  // Runs `command` as the message loop would: an error escaping it is
  // shown in the error box and the window stays usable.
  void Guarded(const std::function<void()>& command);
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
