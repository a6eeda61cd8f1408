// Window classes, creation and the way messages reach their form.
#include "app/win32/form_window.h"

#include <exception>
#include <stdexcept>

#include "app/window_texts.h"
#include "platform/system_reason.h"
#include "platform/win32/wide_text.h"
#include "program_resources.h"

namespace z917::app::win32 {

namespace {

void RegisterFormClass(const wchar_t* className, WNDPROC procedure) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW formClass{};
  if (::GetClassInfoExW(instance, className, &formClass)) return;
  formClass.cbSize = sizeof formClass;
  formClass.lpfnWndProc = procedure;
  formClass.hInstance = instance;
  formClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  formClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  formClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(Z917_IDI_PROGRAM));
  formClass.lpszClassName = className;
  ::RegisterClassExW(&formClass);
}

}  // namespace

FormWindow::~FormWindow() {
  if (window_ != nullptr) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
  if (font_ != nullptr) ::DeleteObject(font_);
}

void FormWindow::KeepFont(HFONT font) {
  if (font_ != nullptr) ::DeleteObject(font_);
  font_ = font;
}

void FormWindow::Create(const wchar_t* className, const std::wstring& caption, DWORD style,
                        DWORD exStyle, HWND owner, HMENU menu) {
  RegisterFormClass(className, &FormWindow::Receive);
  const HWND window = ::CreateWindowExW(exStyle, className, caption.c_str(), style, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, menu,
                                        ::GetModuleHandleW(nullptr), this);
  if (window == nullptr) {
    const DWORD code = ::GetLastError();
    if (menu != nullptr) ::DestroyMenu(menu);
    throw std::runtime_error("Не удалось создать окно: " +
                             platform::SystemReason(static_cast<int>(code)));
  }
}

LRESULT FormWindow::FollowDpiChange(WPARAM wParam, LPARAM lParam) {
  const auto& proposed = *reinterpret_cast<const RECT*>(lParam);
  ::SetWindowPos(window_, nullptr, proposed.left, proposed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout(HIWORD(wParam));
  return 0;
}

void FormWindow::ShowFailure(const std::string& text) {
  ::MessageBoxW(window_, platform::WideFromUtf8(text).c_str(),
                platform::WideFromUtf8(CaptionOf(MessageKind::Error)).c_str(),
                MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK FormWindow::Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->window_ = nullptr;
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  // Nothing may leave a window procedure by an exception: the error is
  // shown here, as a message loop of a window framework would.
  try {
    if (message == WM_DPICHANGED) return form->FollowDpiChange(wParam, lParam);
    return form->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    form->ShowFailure(error.what());
  } catch (...) {
    form->ShowFailure(std::string());
  }
  return 0;
}

}  // namespace z917::app::win32
