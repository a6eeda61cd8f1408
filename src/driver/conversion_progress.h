// What the conversion driver tells its front end while it runs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace z917::driver {

// How far a conversion has got.
struct ConversionProgress {
  enum class Stage { Reading, Saving };
  ConversionProgress() = default;
  // Spelt out so that reports which know no save share need not name it.
  ConversionProgress(Stage stage, std::uint64_t bytesRead, std::uint64_t journalSize,
                     std::uint64_t entries, std::optional<double> saveShare = std::nullopt)
      : stage(stage),
        bytesRead(bytesRead),
        journalSize(journalSize),
        entries(entries),
        saveShare(saveShare) {}

  Stage stage = Stage::Reading;
  // Bytes of the journal read so far, out of its size at open (0 when the
  // size is unknown).
  std::uint64_t bytesRead = 0;
  std::uint64_t journalSize = 0;
  // Entries handed to the writer so far.
  std::uint64_t entries = 0;
  // The share of the save done, 0..1, when the writer tells it. The driver
  // is inside the save meanwhile, so the front end reads it from
  // platform::SaveProgress itself.
  std::optional<double> saveShare;
  // In a batch: the number (from 1) of the journal started last, out of
  // `journalCount`; both 0 for a single conversion.
  std::uint32_t journalNumber = 0;
  std::uint32_t journalCount = 0;
};

// Told the progress on the converting thread; must return quickly.
using ProgressListener = std::function<void(const ConversionProgress&)>;

}  // namespace z917::driver
