// The program's single window on the Windows API: two conversion commands
// on buttons and in the menu, Exit, the about window, and journals given
// from outside (the program's arguments, a drop).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// The journals `commandLine` (as GetCommandLineW gives it) names after the
// program itself, in UTF-8; none when it names none. Never fails.
std::vector<std::string> JournalArguments(const wchar_t* commandLine);

class TForm1 : public FormWindow, public MainWindowCommands {
 public:
  // Lays the hidden window out, centred on the screen. Throws
  // std::runtime_error when the window cannot be created.
  explicit TForm1(MainWindowServices services);
  ~TForm1() override;

  // Shows the window with the focus on its first button.
  void Show();
  // Runs OpenJournals(`journals`) from the message loop once it next turns,
  // guarded as the commands are; nothing for none.
  void OpenJournalsSoon(std::vector<std::string> journals);

  void Menu_ExitClick() override;
  void Menu_AboutClick() override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Errors that escape a command go to the services' error sink.
  void ShowFailure(const std::string& text) override;

 private:
  void Layout(UINT dpi) override;
  void OnCommand(int id);
  // WM_DROPFILES: the dropped paths go to OpenJournalsSoon, but none while
  // a conversion runs.
  void TakeDrop(HDROP drop);
  void RunInBackground(const BackgroundWork& work) override;
  bool AskStop() override;
  void CloseNow() override { ::DestroyWindow(Handle()); }
  void SetCommandsEnabled(bool enabled);

  // The journals OpenJournalsSoon was last given, until its message arrives.
  std::vector<std::string> outside_;
};

}  // namespace z917::app::win32
