// The program's single window on the Windows API: two conversion commands
// on buttons and in the menu, Exit, and the about window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/main_window_commands.h"
#include "app/win32/form_window.h"
#include "common/vocabulary.h"

namespace z917::app::win32 {

// Control and menu ids of the main window.
enum MainControl : int {
  kBtnBinToXls = 101,
  kBtnBinToXml,
  kMenu_BinXls = 201,
  kMenu_BinXml,
  kMenu_Exit,
  kMenu_About,
};

class TForm1 : public FormWindow, public MainWindowCommands {
 public:
  // Lays the hidden window out, centred on the screen. Throws
  // std::runtime_error when the window cannot be created.
  explicit TForm1(MainWindowServices services);
  ~TForm1() override;

  // Shows the window with the focus on its first button.
  void Show();

  void Menu_ExitClick() override;
  void Menu_AboutClick() override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Errors that escape a command go to the services' error sink.
  void ShowFailure(const std::string& text) override;

 private:
  void Layout(UINT dpi) override;
  void OnCommand(int id);
  void RunInBackground(const BackgroundWork& work) override;
  bool AskStop() override;
  void CloseNow() override { ::DestroyWindow(Handle()); }
  void SetCommandsEnabled(bool enabled);
};

}  // namespace z917::app::win32
