// The batch's shared queue, its combined progress and its helper threads.
#include "driver/batch_conversion.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "automation/server_factory.h"
#include "driver/journal_stream.h"
#include "driver/wired_conversion.h"
#include "platform/cancellation.h"

namespace z917::driver {

namespace {

// One journal's messages, gathered while it converts, for its outcome.
class GatheredMessages : public MessageSink {
 public:
  void ShowMessage(MessageKind, const std::string& text) override { texts_.push_back(text); }
  // What was shown since the last call.
  std::vector<std::string> Take() { return std::exchange(texts_, {}); }

 private:
  std::vector<std::string> texts_;
};

// The size of the journal at `path`, 0 when it cannot be told.
std::uint64_t JournalSizeAt(const std::string& path) {
  const std::unique_ptr<JournalStream> journal = JournalStream::Open(path);
  return journal ? journal->Size() : 0;
}

// The progress of all the batch's journals as one, from what each job's
// conversion reports of its own journal.
class CombinedProgress {
 public:
  CombinedProgress(const std::vector<BatchItem>& items, unsigned jobs, ProgressListener listener)
      : listener_(std::move(listener)),
        count_(static_cast<std::uint32_t>(items.size())),
        jobs_(jobs),
        reading_(std::make_unique<std::atomic<std::uint64_t>[]>(jobs)) {
    // The sizes are needed up front for a bar that only moves forward.
    if (listener_) {
      for (const BatchItem& item : items) total_ += JournalSizeAt(item.journal);
    }
  }

  void Started(std::size_t index) {
    number_.store(static_cast<std::uint32_t>(index + 1), std::memory_order_relaxed);
  }
  void Report(unsigned job, const ConversionProgress& own) {
    if (!listener_) return;
    reading_[job].store(own.bytesRead, std::memory_order_relaxed);
    ConversionProgress all;
    all.bytesRead = ended_.load(std::memory_order_relaxed);
    for (unsigned i = 0; i < jobs_; ++i) all.bytesRead += reading_[i].load();
    all.journalSize = total_;
    all.journalNumber = number_.load(std::memory_order_relaxed);
    all.journalCount = count_;
    listener_(all);
  }
  // `job`'s journal has ended: what it read now counts as done.
  void Ended(unsigned job) { ended_ += reading_[job].exchange(0); }

 private:
  ProgressListener listener_;
  const std::uint32_t count_;
  const unsigned jobs_;
  std::uint64_t total_ = 0;
  std::unique_ptr<std::atomic<std::uint64_t>[]> reading_;
  std::atomic<std::uint64_t> ended_{0};
  std::atomic<std::uint32_t> number_{0};
};

// The journals of one batch, shared by its jobs.
class Batch {
 public:
  Batch(const std::vector<BatchItem>& items, OutputKind kind, unsigned jobs,
        const BatchListener& ended, const ProgressListener& progress)
      : items_(items), kind_(kind), ended_(ended), progress_(items, jobs, progress) {}

  // Converts journals off the queue with a conversion of its own until none
  // is left or a stop is asked for.
  void Work(unsigned job) {
    GatheredMessages messages;
    WiredConversion conversion(messages);
    conversion.KeepExcelBetweenConversions();
    conversion.Driver().SetProgressListener(
        [this, job](const ConversionProgress& own) { progress_.Report(job, own); });
    for (;;) {
      if (platform::Cancellation::Requested()) return;
      const std::size_t i = next_++;
      if (i >= items_.size()) return;
      progress_.Started(i);
      BatchOutcome outcome;
      outcome.converted = ConvertOne(conversion.Driver(), messages, items_[i]);
      outcome.messages = messages.Take();
      progress_.Ended(job);
      if (outcome.converted) ++converted_;
      const std::lock_guard lock(telling_);
      if (ended_) ended_(i, outcome);
    }
  }

  std::size_t Converted() const { return converted_; }

 private:
  bool ConvertOne(ConversionDriver& driver, MessageSink& messages, const BatchItem& item) {
    try {
      return driver.ConvertJournal(item.journal, item.output, kind_);
    } catch (const std::exception& error) {
      // The writers promise not to throw; the other journals go on.
      messages.ShowMessage(MessageKind::Error, UnexpectedFailureMessage(error.what()));
      return false;
    }
  }

  const std::vector<BatchItem>& items_;
  const OutputKind kind_;
  const BatchListener& ended_;
  CombinedProgress progress_;
  std::mutex telling_;
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

std::size_t ConvertBatch(const std::vector<BatchItem>& items, OutputKind kind, unsigned jobs,
                         const BatchListener& ended, const ProgressListener& progress) {
  jobs = std::max(jobs, 1u);
  Batch batch(items, kind, jobs, ended, progress);
  // This thread is one of the jobs, so that one job runs where a single
  // conversion does (an Excel over COM in this thread's apartment).
  std::vector<std::jthread> helpers;
  for (unsigned job = 1; job < jobs; ++job) {
    try {
      helpers.emplace_back([&batch, job] {
        // A helper that cannot set up leaves its share to the others.
        try {
          batch.Work(job);
        } catch (const std::exception&) {
        }
      });
    } catch (const std::system_error&) {
      break;  // fewer at once, all the same
    }
  }
  batch.Work(0);
  helpers.clear();
  return batch.Converted();
}

void ConvertBatchOnAllCores(const std::vector<BatchItem>& items, OutputKind kind,
                            const ProgressListener& progress, const BatchListener& ended) {
  ConvertBatch(items, kind, BatchJobs(0, items.size(), kind), ended, progress);
}

}  // namespace z917::driver
