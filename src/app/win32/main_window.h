// The program's single window on the Windows API: two conversion commands
// on buttons and in the menu, Exit, and the about window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/conversion_commands.h"
#include "app/win32/form_window.h"
#include "common/vocabulary.h"
#include "driver/conversion_progress.h"
#include "journal/packet.h"

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

class TForm1 : public FormWindow {
 public:
  // Lays the hidden window out, centred on the screen. Throws
  // std::runtime_error when the window cannot be created.
  explicit TForm1(MainWindowServices services);
  ~TForm1() override;

  // Shows the window with the focus on its first button.
  void Show();

  // The Excel command: journal, version query, output name, conversion.
  // Throws what the version query or the conversion throws.
  void BtnBinToXlsClick();
  // The XML command: journal, output name, conversion.
  void BtnBinToXmlClick();
  // The menu items do what the buttons of the same caption do.
  void Menu_BinXlsClick() { BtnBinToXlsClick(); }
  void Menu_BinXmlClick() { BtnBinToXmlClick(); }
  // Closes the window, which ends the program.
  void Menu_ExitClick();
  // Shows a new about window modally and destroys it afterwards.
  void Menu_AboutClick();

  // Whether a conversion is running.
  bool Converting() const { return converting_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Errors that escape a command go to the services' error sink.
  void ShowFailure(const std::string& text) override;

 private:
  void Layout(UINT dpi) override;
  void OnCommand(int id);
  // During a conversion, asks whether to stop it; if so, requests the stop
  // and closes once the conversion has ended. Otherwise closes at once.
  void OnClose();
  // Runs the conversion on a worker thread with the commands disabled.
  void RunConversion(const std::string& journal, const std::string& output, OutputKind kind);
  void SetCommandsEnabled(bool enabled);

  MainWindowServices services_;
  ConversionCommands commands_;
  bool converting_ = false;
  bool closeWhenDone_ = false;
};

}  // namespace z917::app::win32
