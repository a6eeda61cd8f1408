// The worker thread, the waiting message loop and the progress window's
// timing.
#include "app/win32/background_conversion.h"

#include "app/conversion_worker.h"
#include "app/progress_display.h"
#include "app/win32/form_look.h"
#include "app/win32/progress_window.h"
#include "app/window_texts.h"
#include "platform/win32/wide_text.h"

namespace z917::app::win32 {

namespace {

using Clock = std::chrono::steady_clock;

// Often enough for a bar that moves smoothly, rare enough to cost nothing.
constexpr std::chrono::milliseconds kTickInterval{50};

// Whether `window` is one of the message boxes the driver and the writers
// show: a system dialog with the caption of either kind of message.
bool IsMessageBox(HWND window) {
  wchar_t className[16] = {};
  wchar_t caption[16] = {};
  ::GetClassNameW(window, className, 16);
  ::GetWindowTextW(window, caption, 16);
  const std::string shown = platform::Utf8FromWide(caption);
  return ::lstrcmpW(className, L"#32770") == 0 &&
         (shown == CaptionOf(MessageKind::Error) || shown == CaptionOf(MessageKind::Information));
}

// Keeps the progress window out of the way of other modal windows: a
// message of the conversion means it is ending, so the window stays hidden
// after one; another window (a question) only hides it while it shows.
class WindowTiming {
 public:
  WindowTiming(ConversionProgressWindow& window, HWND owner) : window_(window), owner_(owner) {}

  void Tick(const driver::ConversionProgress& progress) {
    const HWND active = ::GetActiveWindow();
    if (active != nullptr && active != window_.Handle() && active != owner_) {
      ended_ = ended_ || IsMessageBox(active);
      ::ShowWindow(window_.Handle(), SW_HIDE);
      return;
    }
    if (ended_) return;
    window_.SetProgress(progress);
    if (!::IsWindowVisible(window_.Handle()) && Clock::now() - started_ >= kProgressDialogDelay) {
      ::ShowWindow(window_.Handle(), SW_SHOW);
    }
  }

 private:
  ConversionProgressWindow& window_;
  HWND owner_;
  const Clock::time_point started_ = Clock::now();
  bool ended_ = false;
};

}  // namespace

void RunConversionInBackground(
    HWND owner, const std::vector<std::string>& journalNames, const std::string& outputName,
    const std::function<void(const driver::ProgressListener&)>& conversion) {
  ConversionProgressWindow window(owner, journalNames, outputName);
  const HWND wake = window.Handle();
  ConversionWorker worker(conversion, [wake] { ::PostMessageW(wake, WM_NULL, 0, 0); });
  WindowTiming timing(window, owner);
  window.StartTicking([&] { timing.Tick(worker.Progress()); }, kTickInterval);

  bool quit = false;
  int quitCode = 0;
  MSG message{};
  while (!worker.Done()) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    // Leaving before the worker ends could leave it waiting for a message
    // box for ever; GetMessageW fails only for a bad window, not here.
    if (got == -1) continue;
    if (got == 0) {
      // The worker's messages must still reach the user before it can be
      // joined; the request to end is passed on afterwards.
      quit = true;
      quitCode = static_cast<int>(message.wParam);
      continue;
    }
    DispatchForForms(message, {window.Handle(), owner});
  }
  if (quit) ::PostQuitMessage(quitCode);
  worker.Finish();
}

}  // namespace z917::app::win32
