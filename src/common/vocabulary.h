// The words every layer shares: the date the writers receive, the kind of
// output a conversion makes and where messages go. Kept apart from the
// journal so that the automation interface and the windows need not link it.
#pragma once

#include <string>

namespace z917 {

// A date as both writers receive it: days since 1899-12-30, the fraction
// being the time of day.
using TDateTime = double;

// Which writer receives the entries. Only 0 means Excel: every other value
// selects the XML writer.
enum class OutputKind : int { Excel = 0, Xml = 1 };

inline bool IsExcel(OutputKind kind) { return static_cast<int>(kind) == 0; }

enum class MessageKind { Error, Information };

// Where the driver and the writers show their messages: a modal message
// box in the window, a stream on the command line, a list in tests.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows one message (UTF-8, may hold line breaks) and returns when the
  // user has acknowledged it.
  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
};

}  // namespace z917
