// Messages of the driver and the writers as the system's message box:
// "Error" or "Information", the matching icon, one OK button; and the
// batch's question with three buttons of its own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "app/conversion_commands.h"
#include "common/vocabulary.h"

namespace z917::app::win32 {

// Shows one box and returns the button pressed, as MessageBoxW does; the
// seam through which tests answer the boxes.
using MessageBoxFunction = std::function<int(HWND owner, const std::wstring& text,
                                             const std::wstring& caption, UINT type)>;

// MessageBoxW itself.
int SystemMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

// Control ids of the question's buttons. "Отмена" is IDCANCEL, so that
// Escape and the title bar's close answer as it does.
enum ExistingButton : int { kReplaceButtonId = 501, kSkipButtonId, kStopButtonId = IDCANCEL };

// Asks, in a task dialog over `owner`, what to do about `count` outputs of
// a batch that exist already: "Заменить", "Пропустить" (preselected) or
// "Отмена"; a closed box stops. Throws std::runtime_error when the box
// cannot be shown.
ExistingOutputs AskAboutExisting(std::size_t count, HWND owner);

class MessageBoxes : public MessageSink {
 public:
  explicit MessageBoxes(MessageBoxFunction show = SystemMessageBox) : show_(std::move(show)) {}
  // Later boxes are modal over `owner`; without one they hold up every
  // window of the thread.
  void SetOwner(HWND owner) { owner_ = owner; }

  // Shows `text` (UTF-8) on the calling thread, which must be the owner's,
  // and returns when the user pressed OK or closed the box.
  void ShowMessage(MessageKind kind, const std::string& text) override;

  // Asks `question` (UTF-8) with "Yes" and "No", "No" preselected; true
  // for "Yes", false for "No" or a closed box.
  bool AskYesNo(const std::string& question);

 private:
  MessageBoxFunction show_;
  HWND owner_ = nullptr;
};

// Shows messages from any thread through `messages` on the thread that
// made it (the window thread), one at a time in the order they came; a
// caller on another thread waits until its message has been acknowledged,
// as the sink's contract says. The window thread must keep its message
// loop turning while another thread may call. What `messages` throws is
// thrown to the caller. Such a message is a conversion's outcome: a stop
// question still open is answered "No" first, so that the outcome shows
// alone and the main window is usable after it.
class WindowThreadMessages : public MessageSink {
 public:
  explicit WindowThreadMessages(MessageSink& messages);
  ~WindowThreadMessages() override;
  WindowThreadMessages(const WindowThreadMessages&) = delete;
  WindowThreadMessages& operator=(const WindowThreadMessages&) = delete;

  void ShowMessage(MessageKind kind, const std::string& text) override;

 private:
  static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  MessageSink& messages_;
  DWORD thread_;
  HWND receiver_ = nullptr;
};

}  // namespace z917::app::win32
