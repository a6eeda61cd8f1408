#include "app/conversion_worker.h"

#include <utility>

#include "platform/cancellation.h"
#include "platform/save_progress.h"

namespace z917::app {

ConversionWorker::ConversionWorker(std::function<void(const driver::ProgressListener&)> conversion,
                                   std::function<void()> ended)
    : conversion_(std::move(conversion)), ended_(std::move(ended)) {
  // A stop asked for as the last conversion ended is not for this one. It
  // is cleared here, before the thread starts, so that a stop the user asks
  // for as soon as the window shows the conversion is never lost.
  platform::Cancellation::Reset();
  thread_ = std::thread([this] { Run(); });
}

ConversionWorker::~ConversionWorker() {
  if (thread_.joinable()) thread_.join();
}

void ConversionWorker::Run() {
  try {
    conversion_([this](const driver::ConversionProgress& progress) { latest_.Store(progress); });
  } catch (...) {
    failure_ = std::current_exception();
  }
  done_.store(true);
  ended_();
}

driver::ConversionProgress ConversionWorker::Progress() const {
  driver::ConversionProgress progress = latest_.Load();
  if (progress.stage == driver::ConversionProgress::Stage::Saving) {
    progress.saveShare = platform::SaveProgress::Share();
  }
  return progress;
}

void ConversionWorker::Finish() {
  thread_.join();
  if (failure_) std::rethrow_exception(failure_);
}

}  // namespace z917::app
