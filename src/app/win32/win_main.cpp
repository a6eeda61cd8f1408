// z917-converter.exe: the window in which an accountant converts a journal
// to an Excel workbook or an XML document.
#include <objbase.h>
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "app/win32/file_dialogs.h"
#include "app/win32/form_look.h"
#include "app/win32/main_window.h"
#include "app/win32/message_boxes.h"
#include "driver/batch_conversion.h"
#include "driver/wired_conversion.h"

namespace {

void RunMessageLoop(HWND form) {
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    z917::app::win32::DispatchForForms(message, {form});
  }
}

void Run(z917::app::win32::MessageBoxes& boxes, z917::MessageSink& messages) {
  using namespace z917;
  driver::WiredConversion conversion(messages);
  app::win32::Win32FileDialogs dialogs;
  app::win32::TForm1 form({
      dialogs,
      std::bind_front(&driver::WiredConversion::ExcelVersion, &conversion),
      std::bind_front(&driver::WiredConversion::Convert, &conversion),
      messages,
      {},
      driver::ConvertBatchOnAllCores,
  });
  dialogs.SetOwner(form.Handle());
  boxes.SetOwner(form.Handle());
  form.Show();
  // Journals given to the program ("Open with", a shortcut, the .bin type).
  form.OpenJournalsSoon(app::win32::JournalArguments(::GetCommandLineW()));
  RunMessageLoop(form.Handle());
  // What is shown after the window has gone shows on its own.
  boxes.SetOwner(nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The window thread is a single-threaded apartment, as the file dialogs
  // and an Excel started for the version query want it.
  const HRESULT com = ::OleInitialize(nullptr);
  z917::app::win32::MessageBoxes boxes;
  // The conversion runs on a worker thread; its messages come back here.
  z917::app::win32::WindowThreadMessages messages(boxes);
  try {
    Run(boxes, messages);
  } catch (const std::exception& error) {
    boxes.SetOwner(nullptr);  // the window has gone
    messages.ShowMessage(z917::MessageKind::Error, error.what());
  } catch (...) {
    boxes.SetOwner(nullptr);
    messages.ShowMessage(z917::MessageKind::Error, std::string());
  }
  if (SUCCEEDED(com)) ::OleUninitialize();
  return 0;
}
