#include "app/batch_summary.h"

#include "common/file_name.h"
#include "driver/conversion_driver.h"

namespace z917::app {

namespace {

// Whether a journal's messages say more than that it converted.
bool WorthTelling(const driver::BatchOutcome& outcome) {
  return !outcome.converted || outcome.messages != std::vector{driver::SuccessMessage(0)};
}

}  // namespace

BatchSummary SummaryOf(const std::vector<driver::BatchItem>& items,
                       const std::vector<std::optional<driver::BatchOutcome>>& outcomes,
                       std::size_t skipped) {
  std::size_t converted = 0;
  std::size_t unstarted = 0;
  std::string details;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::optional<driver::BatchOutcome>& outcome = outcomes[i];
    if (!outcome) {
      ++unstarted;
      continue;
    }
    if (outcome->converted) ++converted;
    if (!WorthTelling(*outcome)) continue;
    // A blank line before each journal sets it apart from the counts.
    details += "\n\n";
    details += FileNameOf(items[i].journal);
    details += ":";
    for (const std::string& message : outcome->messages) details += "\n" + message;
  }
  BatchSummary summary;
  summary.kind = converted == items.size() ? MessageKind::Information : MessageKind::Error;
  summary.text = "Сконвертировано журналов: " + std::to_string(converted) + " из " +
                 std::to_string(items.size());
  if (skipped > 0) {
    summary.text += "\nПропущено журналов, чьи файлы уже были: " + std::to_string(skipped);
  }
  if (unstarted > 0) {
    summary.text += "\nНе начаты после остановки: " + std::to_string(unstarted);
  }
  summary.text += details;
  return summary;
}

}  // namespace z917::app
