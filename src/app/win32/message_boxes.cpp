// The message boxes and the way messages of the worker reach the window
// thread.
#include "app/win32/message_boxes.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>
#include <utility>

#include "app/window_texts.h"
#include "platform/win32/wide_text.h"

namespace z917::app::win32 {

namespace {

constexpr wchar_t kReceiverClass[] = L"Z917MessageReceiver";
constexpr UINT kShowRequest = WM_APP + 1;

std::wstring WindowText(HWND window) {
  wchar_t text[64] = {};
  ::GetWindowTextW(window, text, 64);
  return text;
}

// One message on its way from another thread, and what showing it threw.
struct Request {
  MessageKind kind;
  const std::string& text;
  std::exception_ptr failure;
};

// The conversion the question asks about has ended; the question would
// otherwise wait under the outcome, and then behind the main window.
BOOL CALLBACK CloseIfStopQuestion(HWND window, LPARAM) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (::lstrcmpW(className, L"#32770") == 0 && ::IsWindowVisible(window) &&
      platform::Utf8FromWide(WindowText(window)) == kQuestionCaption) {
    ::SendMessageW(window, WM_COMMAND, IDNO, 0);
  }
  return TRUE;
}

}  // namespace

int SystemMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

void MessageBoxes::ShowMessage(MessageKind kind, const std::string& text) {
  const bool error = kind == MessageKind::Error;
  const UINT type =
      MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION) | (owner_ == nullptr ? MB_TASKMODAL : 0);
  show_(owner_, platform::WideFromUtf8(text), platform::WideFromUtf8(CaptionOf(kind)), type);
}

ExistingOutputs AskAboutExisting(std::size_t count, HWND owner) {
  std::string question = kExistingQuestion;
  question.replace(question.find("%1"), 2, std::to_string(count));
  const std::wstring text = platform::WideFromUtf8(question);
  const std::wstring caption = platform::WideFromUtf8(kQuestionCaption);
  const std::wstring replace = platform::WideFromUtf8(kReplaceButton);
  const std::wstring skip = platform::WideFromUtf8(kSkipButton);
  const std::wstring stop = platform::WideFromUtf8(kStopButton);
  const TASKDIALOG_BUTTON buttons[] = {{kReplaceButtonId, replace.c_str()},
                                       {kSkipButtonId, skip.c_str()},
                                       {kStopButtonId, stop.c_str()}};
  // A message box's buttons cannot be named; a task dialog's can, and it
  // sizes them to their captions.
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags =
      TDF_ALLOW_DIALOG_CANCELLATION | TDF_USE_HICON_MAIN | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.pszWindowTitle = caption.c_str();
  config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
  config.pszContent = text.c_str();
  config.cButtons = 3;
  config.pButtons = buttons;
  config.nDefaultButton = kSkipButtonId;
  int pressed = 0;
  const HRESULT shown = ::TaskDialogIndirect(&config, &pressed, nullptr, nullptr);
  if (FAILED(shown)) {
    throw std::runtime_error("Не удалось показать вопрос (код ошибки " +
                             std::to_string(static_cast<unsigned long>(shown)) + ")");
  }
  if (pressed == kReplaceButtonId) return ExistingOutputs::Replace;
  if (pressed == kSkipButtonId) return ExistingOutputs::Skip;
  return ExistingOutputs::Stop;  // "Отмена", Escape or the title bar's close
}

bool MessageBoxes::AskYesNo(const std::string& question) {
  const UINT type =
      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | (owner_ == nullptr ? MB_TASKMODAL : 0);
  return show_(owner_, platform::WideFromUtf8(question), platform::WideFromUtf8(kQuestionCaption),
               type) == IDYES;
}

WindowThreadMessages::WindowThreadMessages(MessageSink& messages)
    : messages_(messages), thread_(::GetCurrentThreadId()) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW receiverClass{};
  receiverClass.lpfnWndProc = &WindowThreadMessages::Receive;
  receiverClass.hInstance = instance;
  receiverClass.lpszClassName = kReceiverClass;
  ::RegisterClassW(&receiverClass);  // fails harmlessly when registered before
  receiver_ = ::CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, nullptr);
}

WindowThreadMessages::~WindowThreadMessages() {
  if (receiver_ != nullptr) ::DestroyWindow(receiver_);
}

void WindowThreadMessages::ShowMessage(MessageKind kind, const std::string& text) {
  if (::GetCurrentThreadId() == thread_ || receiver_ == nullptr) {
    messages_.ShowMessage(kind, text);
    return;
  }
  // A message sent to a window of another thread waits until that thread
  // has handled it, and the thread handles them in the order they came.
  Request request{kind, text, nullptr};
  ::SendMessageW(receiver_, kShowRequest, reinterpret_cast<WPARAM>(this),
                 reinterpret_cast<LPARAM>(&request));
  if (request.failure) std::rethrow_exception(request.failure);
}

LRESULT CALLBACK WindowThreadMessages::Receive(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message != kShowRequest) return ::DefWindowProcW(window, message, wParam, lParam);
  auto* self = reinterpret_cast<WindowThreadMessages*>(wParam);
  auto* request = reinterpret_cast<Request*>(lParam);
  ::EnumThreadWindows(::GetCurrentThreadId(), &CloseIfStopQuestion, 0);
  // Nothing may leave a window procedure by an exception.
  try {
    self->messages_.ShowMessage(request->kind, request->text);
  } catch (...) {
    request->failure = std::current_exception();
  }
  return 0;
}

}  // namespace z917::app::win32
