// The progress window's texts and bar arithmetic.
#include "app/progress_display.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace z917::app {

namespace {

const std::string_view kCaption = "Конвертация";
const std::string_view kReading = "Конвертация журнала %1";
const std::string_view kSaving = "Сохранение файла %1";
const std::string_view kBatch = "Конвертация: журнал %1 из %2, %3";
const std::string_view kStartingExcel = "Запуск Excel...";
const std::string_view kStopping = "Остановка...";

// `text` with "%1", "%2"... replaced by `values` in turn, each taken as it
// is (a name may hold a "%2" of its own).
std::string Fill(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string filled;
  char mark[] = {'%', '1'};
  for (const std::string_view value : values) {
    const std::size_t place = text.find(std::string_view(mark, 2));
    if (place == std::string_view::npos) break;
    filled += text.substr(0, place);
    filled += value;
    text.remove_prefix(place + 2);
    ++mark[1];
  }
  return filled += text;
}

}  // namespace

std::string ProgressCaption() { return std::string(kCaption); }

std::string ProgressLabel(const driver::ConversionProgress& progress,
                          const std::vector<std::string>& journalNames,
                          std::string_view outputName) {
  if (journalNames.empty()) return std::string(kStartingExcel);
  const std::uint32_t number = std::max<std::uint32_t>(progress.journalNumber, 1);
  if (progress.journalCount > 0 && number <= journalNames.size()) {
    return Fill(kBatch, {std::to_string(number), std::to_string(progress.journalCount),
                         journalNames[number - 1]});
  }
  if (progress.stage == driver::ConversionProgress::Stage::Saving)
    return Fill(kSaving, {outputName});
  return Fill(kReading, {journalNames.front()});
}

std::string StoppingLabel() { return std::string(kStopping); }

ProgressBarPosition BarPositionFor(const driver::ConversionProgress& progress) {
  if (progress.stage == driver::ConversionProgress::Stage::Saving) {
    const double saved = std::clamp(progress.saveShare.value_or(1.0), 0.0, 1.0);
    return {false, static_cast<int>(saved * kProgressBarSteps)};
  }
  if (progress.journalSize == 0) return {true, 0};
  const double share =
      static_cast<double>(progress.bytesRead) / static_cast<double>(progress.journalSize);
  return {false, static_cast<int>(std::min(share, 1.0) * kProgressBarSteps)};
}

void LatestProgress::Store(const driver::ConversionProgress& progress) {
  bytesRead_.store(progress.bytesRead, std::memory_order_relaxed);
  journalSize_.store(progress.journalSize, std::memory_order_relaxed);
  entries_.store(progress.entries, std::memory_order_relaxed);
  saving_.store(progress.stage == driver::ConversionProgress::Stage::Saving,
                std::memory_order_relaxed);
  journalNumber_.store(progress.journalNumber, std::memory_order_relaxed);
  journalCount_.store(progress.journalCount, std::memory_order_relaxed);
}

driver::ConversionProgress LatestProgress::Load() const {
  driver::ConversionProgress progress(
      saving_.load(std::memory_order_relaxed) ? driver::ConversionProgress::Stage::Saving
                                              : driver::ConversionProgress::Stage::Reading,
      bytesRead_.load(std::memory_order_relaxed), journalSize_.load(std::memory_order_relaxed),
      entries_.load(std::memory_order_relaxed));
  progress.journalNumber = journalNumber_.load(std::memory_order_relaxed);
  progress.journalCount = journalCount_.load(std::memory_order_relaxed);
  return progress;
}

}  // namespace z917::app
