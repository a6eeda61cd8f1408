// The progress window's texts and bar arithmetic.
#include "app/progress_display.h"

#include <algorithm>

namespace z917::app {

namespace {

const std::string_view kCaption = "Конвертация";
const std::string_view kReading = "Конвертация журнала %1";
const std::string_view kSaving = "Сохранение файла %1";
const std::string_view kStopping = "Остановка...";

// `text` with its "%1" replaced by `name`, taken as it is.
std::string Fill(std::string_view text, std::string_view name) {
  std::string filled(text);
  const std::size_t place = filled.find("%1");
  if (place != std::string::npos) filled.replace(place, 2, name);
  return filled;
}

}  // namespace

std::string ProgressCaption() { return std::string(kCaption); }

std::string ProgressLabel(const driver::ConversionProgress& progress, std::string_view journalName,
                          std::string_view outputName) {
  return progress.stage == driver::ConversionProgress::Stage::Saving ? Fill(kSaving, outputName)
                                                                     : Fill(kReading, journalName);
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
}

driver::ConversionProgress LatestProgress::Load() const {
  return {saving_.load(std::memory_order_relaxed) ? driver::ConversionProgress::Stage::Saving
                                                  : driver::ConversionProgress::Stage::Reading,
          bytesRead_.load(std::memory_order_relaxed), journalSize_.load(std::memory_order_relaxed),
          entries_.load(std::memory_order_relaxed)};
}

}  // namespace z917::app
