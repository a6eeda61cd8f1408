// Scale, fonts, placement and keyboard shared by the windows.
#include "app/win32/form_look.h"

namespace z917::app::win32 {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// A function of user32 that older systems lack, or null.
template <typename Function>
Function User32Function(const char* name) {
  const FARPROC address = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name);
  // Through a function pointer without arguments, which any other may be
  // cast from without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

UINT ScreenDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

}  // namespace

int Scaled(int value, UINT dpi) { return ::MulDiv(value, static_cast<int>(dpi), kLayoutDpi); }

UINT DpiOf(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  return ScreenDpi();
}

HFONT CreateFormFont(const wchar_t* face, UINT dpi) {
  const int height = -::MulDiv(8, static_cast<int>(dpi), 72);
  return ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

void SizeClientArea(HWND form, int width, int height, UINT dpi) {
  static const auto adjustForDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, Scaled(width, dpi), Scaled(height, dpi)};
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_EXSTYLE));
  const BOOL menu = ::GetMenu(form) != nullptr;
  if (adjustForDpi != nullptr) {
    adjustForDpi(&frame, style, menu, exStyle, dpi);
  } else {
    ::AdjustWindowRectEx(&frame, style, menu, exStyle);
  }
  ::SetWindowPos(form, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps onto a second line, or metrics the system keeps
  // at another resolution than the one asked for, leave the client area
  // off by some pixels: measured, and the frame mended by as many.
  RECT client{};
  ::GetClientRect(form, &client);
  const int wider = Scaled(width, dpi) - (client.right - client.left);
  const int higher = Scaled(height, dpi) - (client.bottom - client.top);
  if (wider != 0 || higher != 0) {
    ::SetWindowPos(form, nullptr, 0, 0, frame.right - frame.left + wider,
                   frame.bottom - frame.top + higher, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CentreOnScreen(HWND form) {
  RECT frame{};
  ::GetWindowRect(form, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& area = monitor.rcWork;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = area.left + (area.right - area.left - width) / 2;
  const int top = area.top + (area.bottom - area.top - height) / 2;
  ::SetWindowPos(form, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceChild(HWND child, int left, int top, int width, int height, UINT dpi, HFONT font) {
  ::SetWindowPos(child, nullptr, Scaled(left, dpi), Scaled(top, dpi), Scaled(width, dpi),
                 Scaled(height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id) {
  return ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           ::GetModuleHandleW(nullptr), nullptr);
}

bool PressFocusedButton(HWND form, const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
  const HWND button = message.hwnd;
  if (button == nullptr || !::IsChild(form, button) || !::IsWindowEnabled(button)) return false;
  wchar_t className[16] = {};
  ::GetClassNameW(button, className, 16);
  if (::lstrcmpiW(className, L"Button") != 0) return false;
  const LONG_PTR kind = ::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
  if (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON) return false;
  ::SendMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  return true;
}

void DispatchForForms(MSG& message, std::initializer_list<HWND> forms) {
  for (const HWND form : forms) {
    if (form == nullptr || !::IsWindow(form)) continue;
    if (PressFocusedButton(form, message)) return;
    if (::IsDialogMessageW(form, &message)) return;
  }
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

}  // namespace z917::app::win32
