// z917conv: converts a journal to an XML document or an Excel workbook
// from the command line, with the window's messages printed.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "automation/server_factory.h"
#include "platform/console.h"
#include "platform/terminal.h"
#include "xls/excel_book_writer.h"
#include "xml/regional_settings.h"
#include "xml/xml_journal_writer.h"

namespace {

int Run(int argc, char** argv) {
  // The global locale stays "C" (the library default): the writers read the
  // user's regional settings through locale objects of their own.
  // UTF-8 whatever the system: on Windows from the wide command line.
  const std::vector<std::string> utf8Args = z917::platform::ProgramArguments(argc, argv);
  const std::vector<std::string_view> args(utf8Args.begin(), utf8Args.end());
  z917::StreamMessageSink printed(stdout, stderr);
  // The writers show their messages through the progress line too, so that
  // it is wiped before each of them.
  z917::ProgressLine messages(printed, stderr, z917::platform::IsTerminal(stderr));
  z917::xls::ExcelBookWriter excel(z917::automation::StartServer, messages);
  z917::xml::XmlJournalWriter xml(messages, z917::xml::ReadRegionalSettings());
  const int status = z917::RunCommandLine(args, excel, xml, messages, stdout, stderr, &messages);
  return z917::ExitStatusOnceShown(status, printed, stdout);
}

}  // namespace

int main(int argc, char** argv) {
  // The writers promise not to throw; should anything escape all the same
  // (memory running out, a fault of ours), the user reads why rather than
  // seeing the program vanish.
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    z917::platform::WriteText(stderr, z917::UnexpectedFailureMessage(error.what()) + "\n");
  } catch (...) {
    z917::platform::WriteText(stderr, z917::UnexpectedFailureMessage("неизвестная ошибка") + "\n");
  }
  return z917::kExitFailed;
}
