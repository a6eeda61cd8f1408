// What the window tests share: the application object, dialogs and
// message boxes answered by the test, and a way to answer a modal window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "app/file_dialogs.h"
#include "journal/message_sink.h"

#include "recorded_messages.h"

class QWidget;

namespace z917::app::test {

// Creates the application object the way the program does, once per
// process.
void EnsureApplication();

// As a fixture's first member: the application exists before any widget.
struct WithApplication {
  WithApplication() { EnsureApplication(); }
};

// Dialogs that answer with what the test set and record every run.
class ScriptedDialogs : public FileDialogs {
 public:
  struct Run {
    bool save;
    FileDialogRequest request;
  };
  std::optional<QString> RunOpen(const FileDialogRequest& request) override;
  std::optional<QString> RunSave(const FileDialogRequest& request) override;

  std::optional<QString> openAnswer;
  std::optional<QString> saveAnswer;
  std::vector<Run> runs;
};

using z917::test::RecordingMessages;
using z917::test::Shown;

// Calls `answer` with the active modal window as soon as one is shown;
// it must end the modal run.
void AnswerNextModal(std::function<void(QWidget*)> answer);

}  // namespace z917::app::test
