// The about window's layout, its logo and its modal run.
#include "app/win32/about_window.h"

#include "app/win32/form_look.h"
#include "app/win32/resource_ids.h"
#include "app/window_texts.h"
#include "platform/win32/wide_text.h"

namespace z917::app::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TForm_About";
constexpr int kLogoWidth = 561;
constexpr int kLogoHeight = 62;

// Fixed single border, system menu only: no minimise, no maximise.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

HBITMAP LoadLogo(UINT dpi) {
  const int id = dpi > kLayoutDpi ? Z917_LOGO_BITMAP_2X : Z917_LOGO_BITMAP;
  return static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// Draws `bitmap` into `target` at its full size, leaving out every pixel
// of the colour of its bottom-left one, so that the ground shows through.
void DrawTransparent(HDC dc, HBITMAP bitmap, const RECT& target) {
  BITMAP size{};
  if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof size, &size) == 0) return;
  const HDC source = ::CreateCompatibleDC(dc);
  const HGDIOBJ previous = ::SelectObject(source, bitmap);
  const COLORREF ground = ::GetPixel(source, 0, size.bmHeight - 1);
  ::GdiTransparentBlt(dc, target.left, target.top, target.right - target.left,
                      target.bottom - target.top, source, 0, 0, size.bmWidth, size.bmHeight,
                      ground);
  ::SelectObject(source, previous);
  ::DeleteDC(source);
}

}  // namespace

TForm_About::TForm_About(HWND owner) : owner_(owner) {
  Create(kClassName, platform::WideFromUtf8(kAboutCaption), kStyle, WS_EX_DLGMODALFRAME, owner,
         nullptr);
  CreateChild(Handle(), L"STATIC", L"", SS_OWNERDRAW, kPanel1);
  CreateChild(Handle(), L"STATIC", L"", SS_CENTER | SS_NOPREFIX, kLabel1);
  CreateChild(Handle(), L"STATIC", platform::WideFromUtf8(kMakerLine).c_str(),
              SS_CENTER | SS_NOPREFIX, kLabel2);
  CreateChild(Handle(), L"BUTTON", L"ОК", BS_PUSHBUTTON | WS_TABSTOP, kButton1);
  Layout(DpiOf(Handle()));
  CentreOnScreen(Handle());
}

TForm_About::~TForm_About() {
  if (Handle() != nullptr) ::DestroyWindow(Handle());
  if (logo_ != nullptr) ::DeleteObject(logo_);
}

void TForm_About::Layout(UINT dpi) {
  dpi_ = dpi;
  const HFONT font = CreateFormFont(L"MS Sans Serif", dpi);
  SizeClientArea(Handle(), 582, 243, dpi);
  const HWND window = Handle();
  PlaceChild(::GetDlgItem(window, kPanel1), 8, 8, 568, 68, dpi, font);
  PlaceChild(::GetDlgItem(window, kLabel1), 8, 89, 569, 13, dpi, font);
  PlaceChild(::GetDlgItem(window, kLabel2), 8, 113, 569, 13, dpi, font);
  PlaceChild(::GetDlgItem(window, kButton1), 500, 209, 75, 25, dpi, font);
  KeepFont(font);
  if (logo_ != nullptr) ::DeleteObject(logo_);
  logo_ = LoadLogo(dpi);
  ::InvalidateRect(window, nullptr, TRUE);
}

void TForm_About::ShowModal() {
  closed_ = false;
  // Modal: the owner takes no input until the window has closed.
  const bool ownerEnabled = owner_ != nullptr && !::EnableWindow(owner_, FALSE);
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetFocus(::GetDlgItem(Handle(), kButton1));
  MSG message{};
  while (!closed_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // The program is ending: the outer loop must see the request too.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    DispatchForForms(message, {Handle()});
  }
  // The owner first, so that it, and no other program, becomes active.
  if (ownerEnabled) ::EnableWindow(owner_, TRUE);
  ::ShowWindow(Handle(), SW_HIDE);
  closed_ = true;
}

void TForm_About::FormShow() {
  ::SetDlgItemTextW(Handle(), kLabel1, platform::WideFromUtf8(kAboutTitle).c_str());
}

void TForm_About::Button1Click() {
  closed_ = true;
  // Wakes a modal loop that waits for a message.
  ::PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TForm_About::DrawPanel(const DRAWITEMSTRUCT& item) const {
  RECT panel = item.rcItem;
  ::FillRect(item.hDC, &panel, ::GetSysColorBrush(COLOR_BTNFACE));
  ::DrawEdge(item.hDC, &panel, BDR_RAISEDINNER, BF_RECT);
  // Image1, 3 pixels inside the panel, as large as the logo.
  const int left = panel.left + Scaled(3, dpi_);
  const int top = panel.top + Scaled(3, dpi_);
  const RECT image{left, top, left + Scaled(kLogoWidth, dpi_), top + Scaled(kLogoHeight, dpi_)};
  DrawTransparent(item.hDC, logo_, image);
}

LRESULT TForm_About::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SHOWWINDOW:
      if (wParam) FormShow();
      break;
    case WM_COMMAND:
      // Only "ОК": the window has no default and no cancel button, so
      // neither Enter elsewhere nor Escape closes it.
      if (LOWORD(wParam) == kButton1 && HIWORD(wParam) == BN_CLICKED) Button1Click();
      return 0;
    case WM_CLOSE:
      Button1Click();
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID != kPanel1) break;
      DrawPanel(item);
      return TRUE;
    }
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

}  // namespace z917::app::win32
