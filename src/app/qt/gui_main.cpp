// z917-converter: the window in which an accountant converts a journal to
// an Excel workbook or an XML document.
#include <exception>
#include <functional>
#include <string>

#include "app/qt/file_dialogs.h"
#include "app/qt/gui_application.h"
#include "app/qt/main_window.h"
#include "app/qt/message_boxes.h"
#include "driver/batch_conversion.h"
#include "driver/wired_conversion.h"

namespace {

int Run(int& argc, char** argv) {
  auto app = z917::app::qt::CreateApplication(argc, argv);
  z917::app::qt::MessageBoxes boxes;
  // The conversion runs on a worker thread; its messages come back here.
  z917::app::qt::GuiThreadMessages messages(boxes);
  try {
    z917::driver::WiredConversion conversion(messages);
    z917::app::qt::QtFileDialogs dialogs;
    z917::app::qt::TForm1 form({
        dialogs,
        std::bind_front(&z917::driver::WiredConversion::ExcelVersion, &conversion),
        std::bind_front(&z917::driver::WiredConversion::Convert, &conversion),
        messages,
        {},
        z917::driver::ConvertBatchOnAllCores,
    });
    boxes.SetOwner(&form);
    dialogs.SetOwner(&form);
    form.show();
    // A journal opened from the file manager, or several.
    form.OpenJournalsSoon(z917::app::qt::JournalArguments(QApplication::arguments()));
    app->exec();
  } catch (const std::exception& error) {
    messages.ShowMessage(z917::MessageKind::Error, error.what());
  } catch (...) {
    messages.ShowMessage(z917::MessageKind::Error, std::string());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
