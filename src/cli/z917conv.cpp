// z917conv: converts a journal to an XML document or an Excel workbook
// from the command line, with the window's messages printed.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "driver/wired_conversion.h"
#include "platform/console.h"
#include "platform/terminal.h"

namespace {

int Run(int argc, char** argv) {
  // The global locale stays "C" (the library default): the writers read the
  // user's regional settings through locale objects of their own.
  // UTF-8 whatever the system: on Windows from the wide command line.
  const std::vector<std::string> utf8Args = z917::platform::ProgramArguments(argc, argv);
  const std::vector<std::string_view> args(utf8Args.begin(), utf8Args.end());
  z917::cli::StreamMessageSink printed(stdout, stderr);
  // The writers show their messages through the progress line too, so that
  // it is wiped before each of them.
  const bool terminal = z917::platform::IsTerminal(stderr);
  z917::cli::ProgressLine messages(printed, stderr, terminal,
                                   terminal && z917::platform::EnableLineErasing(stderr));
  z917::driver::WiredConversion conversion(messages);
  const int status =
      z917::cli::RunCommandLine(args, conversion.Driver(), stdout, stderr, &messages);
  return z917::cli::ExitStatusOnceShown(status, printed, stdout);
}

}  // namespace

int main(int argc, char** argv) {
  // The writers promise not to throw; should anything escape all the same
  // (memory running out, a fault of ours), the user reads why rather than
  // seeing the program vanish.
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    z917::platform::WriteText(stderr, z917::driver::UnexpectedFailureMessage(error.what()) + "\n");
  } catch (...) {
    z917::platform::WriteText(stderr,
                              z917::driver::UnexpectedFailureMessage("неизвестная ошибка") + "\n");
  }
  return z917::cli::kExitFailed;
}
