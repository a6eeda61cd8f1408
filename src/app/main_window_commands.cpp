// The conversion a main window runs, and the close that waits for it.
#include "app/main_window_commands.h"

#include <utility>

#include "platform/cancellation.h"

namespace z917::app {

MainWindowCommands::MainWindowCommands(MainWindowServices services)
    : services_(std::move(services)),
      commands_({services_.dialogs, services_.excelVersion,
                 [this](const std::string& journal, const std::string& output, OutputKind kind) {
                   Run(journal, output, kind);
                 }}) {}

void MainWindowCommands::Run(const std::string& journal, const std::string& output,
                             OutputKind kind) {
  // Whatever the conversion throws, the window counts as idle afterwards.
  struct Idle {
    bool& converting;
    ~Idle() { converting = false; }
  } idle{converting_};
  converting_ = true;
  RunInBackground(journal, output, kind);
  converting_ = false;
  if (closeWhenDone_) CloseNow();
}

bool MainWindowCommands::MayClose() {
  if (!converting_) return true;
  if (closeWhenDone_) return false;
  const bool stop = services_.confirmStop ? services_.confirmStop() : AskStop();
  if (stop) {
    closeWhenDone_ = true;
    platform::Cancellation::Request();
  }
  return false;
}

}  // namespace z917::app
