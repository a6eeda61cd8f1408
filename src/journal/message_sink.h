// Where the driver and the writers show their messages: a modal message
// box in the window, a stream on the command line, a list in tests.
#pragma once

#include <string>

namespace z917 {

enum class MessageKind { Error, Information };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows one message (UTF-8, may hold line breaks) and returns when the
  // user has acknowledged it.
  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
};

}  // namespace z917
