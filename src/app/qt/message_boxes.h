// Messages of the driver and the writers as the toolkit's modal message
// box: "Error" or "Information", the matching icon, one OK button.
#pragma once

#include <memory>
#include <string>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/conversion_commands.h"
#include "common/vocabulary.h"

class QMessageBox;

namespace z917::app::qt {

// Builds the box for one message, owned by `owner` and centred on the
// screen; the caller runs it.
std::unique_ptr<QMessageBox> MakeMessageBox(MessageKind kind, const QString& text, QWidget* owner);

// Asks `question` in a modal box with "Yes" and "No" over `owner`; true
// for "Yes", false for "No" or a closed box.
bool AskYesNo(const QString& question, QWidget* owner);

// Asks, over `owner`, what to do about `count` outputs of a batch that
// exist already; a closed box stops.
ExistingOutputs AskAboutExisting(std::size_t count, QWidget* owner);

// Whether `window` is a box MakeMessageBox built.
bool IsMessageBox(const QWidget* window);

class MessageBoxes : public MessageSink {
 public:
  MessageBoxes() = default;
  // Keeps later boxes above `owner` and blocks input to it while one shows.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  // Shows `text` (UTF-8) modally and returns when the user pressed OK or
  // closed the box.
  void ShowMessage(MessageKind kind, const std::string& text) override;

 private:
  QPointer<QWidget> owner_;
};

// Shows messages from any thread through `messages` on the window thread,
// one at a time in the order they came; a caller on another thread waits
// until its message has been acknowledged, as the sink's contract says.
// Such a message is a conversion's outcome: a stop question still open is
// answered "No" first, so that the outcome shows alone.
class GuiThreadMessages : public MessageSink {
 public:
  explicit GuiThreadMessages(MessageSink& messages) : messages_(messages) {}
  void ShowMessage(MessageKind kind, const std::string& text) override;

 private:
  MessageSink& messages_;
};

}  // namespace z917::app::qt
