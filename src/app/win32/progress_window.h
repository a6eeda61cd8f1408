// The window a long conversion shows: the journal's name (in a batch its
// number and the count), a progress bar and "Отмена".
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/win32/form_window.h"
#include "driver/conversion_progress.h"

namespace z917::app::win32 {

// Control ids of the progress window.
enum ProgressControl : int { kProgressLabel = 401, kProgressBar1 };

class ConversionProgressWindow : public FormWindow {
 public:
  // A hidden window over `owner` for converting the journals
  // `journalNames`, one or a batch, into `outputName` (empty for a batch);
  // file names in UTF-8. Throws std::runtime_error when the window cannot
  // be created.
  ConversionProgressWindow(HWND owner, std::vector<std::string> journalNames,
                           std::string outputName);
  ~ConversionProgressWindow() override;

  // Shows the share of the journal read, then the share of the output
  // saved (a full bar when the writer does not tell it); a moving bar
  // when the journal's size is unknown.
  void SetProgress(const driver::ConversionProgress& progress);
  // "Отмена", Escape and the close button: asks the conversion to stop and
  // keeps the window, which says so, until the conversion has ended.
  void Cancel();
  // Whether Cancel was asked for.
  bool Stopping() const { return stopping_; }
  // Calls `tick` every `interval` on the window's thread, in whatever
  // message loop turns there (a message box's too), until the window goes.
  void StartTicking(std::function<void()> tick, std::chrono::milliseconds interval);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout(UINT dpi) override;
  void SetLabel(const std::string& text);

  std::function<void()> tick_;
  const std::vector<std::string> journalNames_;
  const std::string outputName_;
  std::string label_;
  bool busy_ = false;
  bool stopping_ = false;
};

}  // namespace z917::app::win32
