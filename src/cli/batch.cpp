#include "cli/batch.h"

#include <string>
#include <vector>

#include "driver/batch_conversion.h"
#include "platform/cancellation.h"
#include "platform/interrupt.h"
#include "platform/path_checks.h"

namespace z917::cli {

namespace {

// `messages` joined into one line.
std::string OneLine(const std::vector<std::string>& messages) {
  std::string line;
  for (const std::string& text : messages) {
    if (!line.empty()) line += "; ";
    line += text;
  }
  return line;
}

}  // namespace

int RunBatch(const CommandLine& line, std::FILE* out, std::FILE* err) {
  platform::Cancellation::Reset();
  platform::CatchInterrupts();
  StreamMessageSink printed(out, err);
  // One message for the folder rather than a failure for every journal.
  if (!line.outputDir.empty() && platform::KindOf(line.outputDir) != platform::PathKind::kFolder) {
    printed.ShowMessage(MessageKind::Error, "Папки " + platform::Quoted(line.outputDir) +
                                                " нет: создайте её или укажите другую");
    return ExitStatusOnceShown(kExitFailed, printed, out);
  }
  std::vector<driver::BatchItem> items;
  for (std::size_t i = 0; i < line.journals.size(); ++i)
    items.push_back({line.journals[i], line.outputs[i]});
  const OutputKind kind = OutputKindFor(line.outputs.front());
  const std::size_t converted = driver::ConvertBatch(
      items, kind, driver::BatchJobs(line.jobs, items.size(), kind),
      [&](std::size_t i, const driver::BatchOutcome& outcome) {
        printed.ShowMessage(outcome.converted ? MessageKind::Information : MessageKind::Error,
                            items[i].journal + ": " + OneLine(outcome.messages));
      });
  printed.ShowMessage(MessageKind::Information,
                      "Сконвертировано журналов: " + std::to_string(converted) + " из " +
                          std::to_string(items.size()));
  int status = converted == items.size() ? kExitConverted : kExitFailed;
  if (platform::InterruptCaught()) status = platform::InterruptExitStatus();
  return ExitStatusOnceShown(status, printed, out);
}

}  // namespace z917::cli
