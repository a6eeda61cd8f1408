// The about window: logo, title with version, maker's line, one button.
#pragma once

#include <windows.h>

#include "app/win32/form_window.h"

namespace z917::app::win32 {

// Control ids of the about window.
enum AboutControl : int { kPanel1 = 301, kLabel1, kLabel2, kButton1 };

class TForm_About : public FormWindow {
 public:
  // A hidden about window owned by `owner`, centred on the screen. Throws
  // std::runtime_error when the window cannot be created.
  explicit TForm_About(HWND owner);
  ~TForm_About() override;

  // Shows the window modally over its owner and returns when it has been
  // closed ("ОК" or the title bar), the window hidden again.
  void ShowModal();
  // Puts the title into Label1; runs each time the window is shown.
  void FormShow();
  // Closes the window, which ends its modal run.
  void Button1Click();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout(UINT dpi) override;
  void DrawPanel(const DRAWITEMSTRUCT& item) const;

  HWND owner_;
  HBITMAP logo_ = nullptr;
  UINT dpi_ = 96;
  bool closed_ = true;
};

}  // namespace z917::app::win32
