// The progress window's layout and its cancel button.
#include "app/win32/progress_window.h"

#include <commctrl.h>

#include <utility>

#include "app/progress_display.h"
#include "app/win32/form_look.h"
#include "platform/cancellation.h"
#include "platform/win32/wide_text.h"

namespace z917::app::win32 {

namespace {

constexpr wchar_t kClassName[] = L"Form_Progress";
constexpr UINT_PTR kTickTimer = 1;
// A title and a close button, nothing to resize, minimise or maximise.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

}  // namespace

ConversionProgressWindow::ConversionProgressWindow(HWND owner,
                                                   std::vector<std::string> journalNames,
                                                   std::string outputName)
    : journalNames_(std::move(journalNames)), outputName_(std::move(outputName)) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  Create(kClassName, platform::WideFromUtf8(ProgressCaption()), kStyle, WS_EX_DLGMODALFRAME, owner,
         nullptr);
  // A long name loses its middle rather than widening the window.
  CreateChild(Handle(), L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, kProgressLabel);
  const HWND bar = CreateChild(Handle(), PROGRESS_CLASSW, L"", 0, kProgressBar1);
  ::SendMessageW(bar, PBM_SETRANGE32, 0, kProgressBarSteps);
  CreateChild(Handle(), L"BUTTON", L"Отмена", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL);
  SetLabel(ProgressLabel({}, journalNames_, outputName_));
  Layout(DpiOf(Handle()));
  CentreOnScreen(Handle());
}

ConversionProgressWindow::~ConversionProgressWindow() {
  if (Handle() != nullptr) ::DestroyWindow(Handle());
}

void ConversionProgressWindow::Layout(UINT dpi) {
  const HFONT font = CreateFormFont(L"Tahoma", dpi);
  SizeClientArea(Handle(), 362, 110, dpi);
  PlaceChild(::GetDlgItem(Handle(), kProgressLabel), 12, 12, 338, 16, dpi, font);
  PlaceChild(::GetDlgItem(Handle(), kProgressBar1), 12, 36, 338, 20, dpi, font);
  PlaceChild(::GetDlgItem(Handle(), IDCANCEL), 143, 72, 75, 25, dpi, font);
  KeepFont(font);
}

void ConversionProgressWindow::SetLabel(const std::string& text) {
  // Set 20 times a second; the same text again would only flicker.
  if (text == label_) return;
  label_ = text;
  ::SetDlgItemTextW(Handle(), kProgressLabel, platform::WideFromUtf8(text).c_str());
}

void ConversionProgressWindow::SetProgress(const driver::ConversionProgress& progress) {
  if (stopping_) return;
  SetLabel(ProgressLabel(progress, journalNames_, outputName_));
  const HWND bar = ::GetDlgItem(Handle(), kProgressBar1);
  const ProgressBarPosition position = BarPositionFor(progress);
  const bool busy = position.busy;
  if (busy != busy_) {
    // A bar that moves on its own while nobody knows how far it is.
    const LONG_PTR style = ::GetWindowLongPtrW(bar, GWL_STYLE);
    ::SetWindowLongPtrW(bar, GWL_STYLE, busy ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
    ::SendMessageW(bar, PBM_SETMARQUEE, busy ? TRUE : FALSE, 0);
    busy_ = busy;
  }
  if (!busy) ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position.value), 0);
}

void ConversionProgressWindow::Cancel() {
  if (stopping_) return;
  platform::Cancellation::Request();
  stopping_ = true;
  SetLabel(StoppingLabel());
  ::EnableWindow(::GetDlgItem(Handle(), IDCANCEL), FALSE);
}

void ConversionProgressWindow::StartTicking(std::function<void()> tick,
                                            std::chrono::milliseconds interval) {
  tick_ = std::move(tick);
  ::SetTimer(Handle(), kTickTimer, static_cast<UINT>(interval.count()), nullptr);
}

LRESULT ConversionProgressWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kTickTimer && tick_) tick_();
      return 0;
    case WM_COMMAND:
      // "Отмена", and Escape, which the dialog manager turns into it.
      if (LOWORD(wParam) == IDCANCEL) Cancel();
      return 0;
    case WM_CLOSE:
      Cancel();
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

}  // namespace z917::app::win32
