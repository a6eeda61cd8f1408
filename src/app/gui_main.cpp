// z917-converter: the window in which an accountant converts a journal to
// an Excel workbook or an XML document.
#include <exception>
#include <string>

#include "app/conversion_driver.h"
#include "app/file_dialogs.h"
#include "app/gui_application.h"
#include "app/main_window.h"
#include "app/message_boxes.h"
#include "automation/server_factory.h"
#include "xls/excel_book_writer.h"
#include "xml/regional_settings.h"
#include "xml/xml_journal_writer.h"

namespace {

int Run(int& argc, char** argv) {
  auto app = z917::app::CreateApplication(argc, argv);
  z917::app::MessageBoxes boxes;
  // The conversion runs on a worker thread; its messages come back here.
  z917::app::GuiThreadMessages messages(boxes);
  try {
    z917::xls::ExcelBookWriter excel(z917::automation::StartServer, messages);
    z917::xml::XmlJournalWriter xml(messages, z917::xml::ReadRegionalSettings());
    z917::ConversionDriver driver({excel, xml}, messages);
    z917::app::QtFileDialogs dialogs;
    z917::app::TForm1 form({
        dialogs,
        [] { return z917::xls::GetExcelVersion(z917::automation::StartServer); },
        [&driver](const std::string& journal, const std::string& output, z917::OutputKind kind,
                  const z917::ProgressListener& progress) {
          driver.SetProgressListener(progress);
          driver.ConvertJournal(journal, output, kind);
          driver.SetProgressListener(nullptr);
        },
        messages,
    });
    boxes.SetOwner(&form);
    dialogs.SetOwner(&form);
    form.show();
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
