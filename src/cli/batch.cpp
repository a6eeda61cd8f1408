#include "cli/batch.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "automation/server_factory.h"
#include "driver/wired_conversion.h"
#include "platform/cancellation.h"
#include "platform/interrupt.h"

namespace z917::cli {

namespace {

// One journal's messages, gathered while it converts, for its line.
class GatheredMessages : public MessageSink {
 public:
  void ShowMessage(MessageKind, const std::string& text) override {
    if (!text_.empty()) text_ += "; ";
    text_ += text;
  }
  // What was shown since the last call.
  std::string Take() { return std::exchange(text_, {}); }

 private:
  std::string text_;
};

// The journals of one run, shared by its workers.
class Batch {
 public:
  Batch(const CommandLine& line, MessageSink& printed)
      : line_(line), kind_(OutputKindFor(line.outputs.front())), printed_(printed) {}

  // Converts journals off the queue with a conversion of its own until none
  // is left or a stop is asked for.
  void Work() {
    GatheredMessages messages;
    driver::WiredConversion conversion(messages);
    for (;;) {
      if (platform::Cancellation::Requested()) return;
      const std::size_t i = next_++;
      if (i >= line_.journals.size()) return;
      const bool converted = ConvertOne(conversion.Driver(), messages, i);
      if (converted) ++converted_;
      Print(converted, line_.journals[i] + ": " + messages.Take());
    }
  }

  std::size_t Converted() const { return converted_; }
  OutputKind Kind() const { return kind_; }

 private:
  bool ConvertOne(driver::ConversionDriver& driver, MessageSink& messages, std::size_t i) {
    try {
      return driver.ConvertJournal(line_.journals[i], line_.outputs[i], kind_);
    } catch (const std::exception& error) {
      // The writers promise not to throw; the other journals go on.
      messages.ShowMessage(MessageKind::Error, UnexpectedFailureMessage(error.what()));
      return false;
    }
  }

  void Print(bool converted, const std::string& line) {
    const std::lock_guard lock(printing_);
    printed_.ShowMessage(converted ? MessageKind::Information : MessageKind::Error, line);
  }

  const CommandLine& line_;
  const OutputKind kind_;
  MessageSink& printed_;
  std::mutex printing_;
  std::atomic<std::size_t> next_{0};
  std::atomic<std::size_t> converted_{0};
};

}  // namespace

unsigned BatchJobs(unsigned requested, std::size_t journals, OutputKind kind) {
  if (IsExcel(kind) && !automation::StartsInProcess("Excel.Application")) return 1;
  const unsigned wanted =
      requested > 0 ? requested : std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<std::size_t>(wanted, std::max<std::size_t>(journals, 1)));
}

int RunBatch(const CommandLine& line, std::FILE* out, std::FILE* err) {
  platform::Cancellation::Reset();
  platform::CatchInterrupts();
  StreamMessageSink printed(out, err);
  Batch batch(line, printed);
  {
    // This thread is one of the workers, so that one job runs where the
    // two-file form does (an Excel over COM in this thread's apartment).
    const unsigned jobs = BatchJobs(line.jobs, line.journals.size(), batch.Kind());
    std::vector<std::jthread> helpers;
    for (unsigned i = 1; i < jobs; ++i) {
      try {
        helpers.emplace_back([&batch] {
          // A helper that cannot set up leaves its share to the others.
          try {
            batch.Work();
          } catch (const std::exception&) {
          }
        });
      } catch (const std::system_error&) {
        break;  // fewer at once, all the same
      }
    }
    batch.Work();
  }
  printed.ShowMessage(MessageKind::Information,
                      "Сконвертировано журналов: " + std::to_string(batch.Converted()) + " из " +
                          std::to_string(line.journals.size()));
  int status = batch.Converted() == line.journals.size() ? kExitConverted : kExitFailed;
  if (platform::InterruptCaught()) status = platform::InterruptExitStatus();
  return ExitStatusOnceShown(status, printed, out);
}

}  // namespace z917::cli
