// What the conversion driver tells its front end while it runs.
#pragma once

#include <cstdint>
#include <functional>

namespace z917 {

// How far a conversion has got.
struct ConversionProgress {
  enum class Stage { Reading, Saving };
  Stage stage = Stage::Reading;
  // Bytes of the journal read so far, out of its size at open (0 when the
  // size is unknown).
  std::uint64_t bytesRead = 0;
  std::uint64_t journalSize = 0;
  // Entries handed to the writer so far.
  std::uint64_t entries = 0;
};

// Told the progress on the converting thread; must return quickly.
using ProgressListener = std::function<void(const ConversionProgress&)>;

}  // namespace z917
