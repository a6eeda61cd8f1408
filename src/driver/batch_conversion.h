// Many journals converted in one go, side by side on the cores when the
// writers allow it, for the command line's many-journal form and the
// windows' batch.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "common/vocabulary.h"
#include "driver/conversion_progress.h"

namespace z917::driver {

// One journal of a batch and where it goes.
struct BatchItem {
  std::string journal;
  std::string output;
  bool operator==(const BatchItem&) const = default;
};

// How one journal of a batch ended: whether its output was saved, and the
// messages its conversion showed, in order.
struct BatchOutcome {
  bool converted = false;
  std::vector<std::string> messages;
};

// Told each journal's outcome as it ends, with its index among the items;
// calls never overlap, though they come from the converting threads.
using BatchListener = std::function<void(std::size_t index, const BatchOutcome& outcome)>;

// How many of `journals` journals of `kind` to convert at once: `requested`,
// or one per core for 0, never more than the journals; one when the
// workbooks go to an Excel in another process, which serves one at a time.
unsigned BatchJobs(unsigned requested, std::size_t journals, OutputKind kind);

// Converts `items` with the writers of `kind`, taking them in order, `jobs`
// at once (at least one, on this thread), each with a conversion of its
// own whose messages go to its outcome instead of to the user. A failure
// escaping a conversion becomes its journal's message; the others go on.
// Starts no more journals once platform::Cancellation is requested; the
// caller clears a request left from before. `progress` hears the whole
// batch: bytes read and size over all its journals, the number of the
// journal started last, never a save stage; it is called from the
// converting threads, possibly at once. Answers how many converted.
std::size_t ConvertBatch(const std::vector<BatchItem>& items, OutputKind kind, unsigned jobs,
                         const BatchListener& ended, const ProgressListener& progress = {});

// ConvertBatch with BatchJobs(0, ...) at once, as the windows run it.
void ConvertBatchOnAllCores(const std::vector<BatchItem>& items, OutputKind kind,
                            const ProgressListener& progress, const BatchListener& ended);

}  // namespace z917::driver
