// What the window tests share: the application object, dialogs and
// message boxes answered by the test, and a way to answer a modal window.
#pragma once

#include <functional>

#include <QString>

#include "common/vocabulary.h"

#include "support/recorded_messages.h"
#include "support/scripted_dialogs.h"

class QWidget;

namespace z917::test {

// Creates the application object the way the program does, once per
// process.
void EnsureApplication();

// As a fixture's first member: the application exists before any widget.
struct WithApplication {
  WithApplication() { EnsureApplication(); }
};

using z917::test::RecordingMessages;
using z917::test::Shown;

// Calls `answer` with the active modal window as soon as one is shown;
// it must end the modal run.
void AnswerNextModal(std::function<void(QWidget*)> answer);

}  // namespace z917::test
