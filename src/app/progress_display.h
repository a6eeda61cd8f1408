// What a conversion's progress window shows, without any toolkit: its
// caption, its label, its bar and when it appears. The window of each front
// end draws these; the worker and the window's thread meet in
// LatestProgress.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion_progress.h"

namespace z917::app {

// How long a conversion runs before its progress window shows, so that a
// short one does not flash a window up.
inline constexpr std::chrono::milliseconds kProgressDialogDelay{500};

// The bar's range is 0..kProgressBarSteps.
inline constexpr int kProgressBarSteps = 1000;

// The progress window's caption (UTF-8).
std::string ProgressCaption();

// The label while the conversion runs: the journal's name while it is
// read, the output's while it is saved; in a batch the number and name of
// the journal started last (file names as shown, UTF-8, one per journal);
// without journals, that Excel is starting.
std::string ProgressLabel(const driver::ConversionProgress& progress,
                          const std::vector<std::string>& journalNames,
                          std::string_view outputName);

// The label once the user asked the conversion to stop.
std::string StoppingLabel();

// Where the bar stands.
struct ProgressBarPosition {
  // The journal's size is unknown: the bar only shows that work goes on.
  bool busy = false;
  // 0..kProgressBarSteps; while the output is saved, its share saved, or
  // full when the writer does not tell it.
  int value = 0;
  bool operator==(const ProgressBarPosition&) const = default;
};

// The bar for `progress`; never outside its range, even when the journal
// grew after it was opened.
ProgressBarPosition BarPositionFor(const driver::ConversionProgress& progress);

// The latest report, written by the worker and read by the window's
// thread without a lock; each field on its own is enough for a progress
// bar, so a read between two writes is harmless.
class LatestProgress {
 public:
  // Called on the worker; never blocks.
  void Store(const driver::ConversionProgress& progress);
  // Called on the window's thread.
  driver::ConversionProgress Load() const;

 private:
  std::atomic<std::uint64_t> bytesRead_{0};
  std::atomic<std::uint64_t> journalSize_{0};
  std::atomic<std::uint64_t> entries_{0};
  std::atomic<bool> saving_{false};
  std::atomic<std::uint32_t> journalNumber_{0};
  std::atomic<std::uint32_t> journalCount_{0};
};

}  // namespace z917::app
