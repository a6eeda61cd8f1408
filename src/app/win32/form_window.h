// A top-level window of ours whose messages reach a member function.
#pragma once

#include <windows.h>

#include <string>

namespace z917::app::win32 {

class FormWindow {
 public:
  FormWindow() = default;
  virtual ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  // The window; null before Create and after it was destroyed.
  HWND Handle() const { return window_; }

 protected:
  // Registers `className` once (button-face ground, arrow cursor, the
  // program's icon) and creates the hidden window. Throws
  // std::runtime_error with the system's reason when it cannot.
  void Create(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
              HWND owner, HMENU menu);
  // Handles one message but WM_DPICHANGED; what it throws is shown by
  // ShowFailure and the message counts as handled.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Tells the user about `text`, an error that escaped HandleMessage; the default
  // shows it in an error box.
  virtual void ShowFailure(const std::string& text);
  // Keeps `font`, the one the controls now use, until the next call or the
  // window's end, and deletes the one kept before.
  void KeepFont(HFONT font);
  // Lays the window and its controls out for `dpi` (96 is the design),
  // also whenever the window moves to a screen of another scale.
  virtual void Layout(UINT dpi) = 0;
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // WM_DPICHANGED: the window goes where the system puts it on the other
  // screen, at the size its own layout gives there.
  LRESULT FollowDpiChange(WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace z917::app::win32
