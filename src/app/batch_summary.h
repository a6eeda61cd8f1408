// The one message that ends a batch in a window, without any toolkit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/vocabulary.h"
#include "driver/batch_conversion.h"

namespace z917::app {

struct BatchSummary {
  // An error when any journal of the batch did not convert.
  MessageKind kind = MessageKind::Information;
  std::string text;
};

// What a batch of `items` ended with: how many converted, how many were
// `skipped` for outputs that existed, how many a stop left unstarted (no
// outcome), and each journal by name that failed or converted with more to
// say than plain success, with its messages as a single conversion shows
// them. `outcomes` holds one entry per item. Never fails.
BatchSummary SummaryOf(const std::vector<driver::BatchItem>& items,
                       const std::vector<std::optional<driver::BatchOutcome>>& outcomes,
                       std::size_t skipped);

}  // namespace z917::app
