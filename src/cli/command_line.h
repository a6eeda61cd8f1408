// The command-line converter's logic, apart from main so that tests can
// run it with their own streams and writers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/vocabulary.h"
#include "driver/conversion_driver.h"
#include "journal/journal_entry_writer.h"
#include "journal/packet.h"

namespace z917::cli {

// Exit statuses of z917conv.
inline constexpr int kExitConverted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// What the arguments ask for.
struct CommandLine {
  enum class Action { Convert, ConvertMany, Help, Version, Usage };
  Action action = Action::Usage;
  // For Action::Convert.
  std::string journal;
  std::string output;
  // For Action::ConvertMany: the journals in the order given, each one's
  // output, and how many to convert at once (0: one per core).
  std::vector<std::string> journals;
  std::vector<std::string> outputs;
  unsigned jobs = 0;
  // The folder --output-dir named; empty when the outputs go beside their
  // journals.
  std::string outputDir;
  // Why the arguments are wrong, for Action::Usage; empty when none were given.
  std::string problem;
};

// Reads the arguments after the program name: JOURNAL OUTPUT; or
// [--format F] [--output-dir DIR] [--jobs N] JOURNAL... (any of these
// options, or other than two operands, make it this form; an option's
// value may follow '=' too); or --help or --version; "--" ends the
// options. Never fails: wrong use, two journals onto one output among it,
// gives Action::Usage with the problem named.
CommandLine ParseCommandLine(const std::vector<std::string_view>& args);

// Where the many-journal form converts `journal` to: in `outputDir`, or
// beside the journal when that is empty, its file name with `extension`
// (".xlsx") for its last extension. Never fails.
std::string BatchOutputPath(std::string_view journal, std::string_view outputDir,
                            std::string_view extension);

// XML when `outputPath` ends in ".xml" in any letter case, once the system
// has dropped what it drops from a name (platform::CreatedPath); Excel
// otherwise.
OutputKind OutputKindFor(std::string_view outputPath);

// The text --help prints (and wrong use prints after its problem).
std::string UsageText();

// The line --version prints.
std::string VersionText();

// Prints every message with exactly its text and a line end: information
// on `out`, errors on `err`, each flushed at once so that the order holds
// when both reach one terminal; a Windows console gets the text as wide
// characters. A message that cannot be written in full (a full disk, a
// broken pipe) is remembered, never reported on its own.
class StreamMessageSink : public MessageSink {
 public:
  StreamMessageSink(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}
  void ShowMessage(MessageKind kind, const std::string& text) override;

  // True once any message could not be written in full.
  bool LostMessage() const { return lostMessage_; }

 private:
  std::FILE* out_;
  std::FILE* err_;
  bool lostMessage_ = false;
};

// The status z917conv ends with once `status` is decided: a failure in
// place of success when a message of `messages`, or anything else on
// `out`, could not be written, for then the user never learnt the
// outcome. Flushes `out`; never fails.
int ExitStatusOnceShown(int status, const StreamMessageSink& messages, std::FILE* out);

// The progress line's text, in Russian: the share of the journal read and
// the entries per second over `seconds` since the start; without a journal
// size, the entries so far; while saving, the entries and the share saved
// when known. Numbers of thousands are grouped with spaces ("310 000").
std::string ProgressText(const driver::ConversionProgress& progress, double seconds);

// Keeps one line on a terminal that shows the running conversion's
// progress, rewritten in place, and wipes it before every message it
// passes on, so that each message stands on its own line. Draws nothing
// unless enabled. A terminal that takes no erase sequence (`erases` false:
// an older Windows console) is wiped with spaces instead. Once the save begins the driver reports
// nothing until it ends, so a thread of the line's own then redraws it with the share
// platform::SaveProgress tells, until the line is wiped.
class ProgressLine : public MessageSink {
 public:
  ProgressLine(MessageSink& messages, std::FILE* terminal, bool enabled, bool erases = true)
      : messages_(messages), terminal_(terminal), enabled_(enabled), erases_(erases) {}
  // Stops redrawing the save.
  ~ProgressLine() override;
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Rewrites the line for `progress`; a report of nothing read yet starts
  // the rate's clock. A save goes on unredrawn should no thread start.
  void Show(const driver::ConversionProgress& progress);
  // Stops redrawing the save and wipes the line if it is shown.
  void Clear();
  // Wipes the line, then shows the message on the sink given.
  void ShowMessage(MessageKind kind, const std::string& text) override;

 private:
  // Writes the line; mutex_ held.
  void Draw(const driver::ConversionProgress& progress);
  // Back to the line's start past `text`, wiping what is left of the line
  // shown before; mutex_ held.
  void Rewrite(const std::string& text);
  void StartRedrawingSave(const driver::ConversionProgress& saving);
  void RedrawSave(driver::ConversionProgress saving);
  void StopRedrawingSave();

  MessageSink& messages_;
  std::FILE* terminal_;
  bool enabled_;
  bool erases_;
  // The terminal, shown_ and start_ are shared with the redrawing thread.
  std::mutex mutex_;
  bool shown_ = false;
  // Characters of the line shown, for wiping with spaces.
  std::size_t width_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  bool redrawing_ = false;
  std::condition_variable redrawStopped_;
  std::thread redrawer_;
};

// Exit statuses after an interrupt stopped a conversion (128 + signal).
inline constexpr int kExitInterrupted = 130;  // SIGINT
inline constexpr int kExitTerminated = 143;   // SIGTERM
inline constexpr int kExitHungUp = 129;       // SIGHUP

// Runs z917conv with `args` (after the program name) on `driver` and
// answers its exit status. A conversion shows its progress on `progress`
// when one is given, and stops cleanly on an interrupt, answering the
// interrupt's status. The many-journal form wires conversions of its own
// (cli/batch.h) and shows no progress.
int RunCommandLine(const std::vector<std::string_view>& args, driver::ConversionDriver& driver,
                   std::FILE* out, std::FILE* err, ProgressLine* progress = nullptr);

}  // namespace z917::cli
