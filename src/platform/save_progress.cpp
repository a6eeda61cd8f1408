#include "platform/save_progress.h"

#include <algorithm>
#include <atomic>

namespace z917::platform {

namespace {
// The share as one value, so that a reader never pairs one report's
// `done` with another's `total`; below 0 until a writer reports.
constexpr double kNothingReported = -1;
std::atomic<double> share{kNothingReported};
static_assert(std::atomic<double>::is_always_lock_free);
}  // namespace

void SaveProgress::Reset() noexcept { share.store(kNothingReported, std::memory_order_relaxed); }

void SaveProgress::Report(std::uint64_t done, std::uint64_t total) noexcept {
  if (total == 0) return;
  const double part = static_cast<double>(std::min(done, total)) / static_cast<double>(total);
  share.store(part, std::memory_order_relaxed);
}

std::optional<double> SaveProgress::Share() noexcept {
  const double part = share.load(std::memory_order_relaxed);
  if (part < 0) return std::nullopt;
  return part;
}

}  // namespace z917::platform
