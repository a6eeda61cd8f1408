// How far the save of the output has got, for a front end to show while
// the converting thread is inside the save.
#pragma once

#include <cstdint>
#include <optional>

namespace z917::platform {

// Told by whichever writer in this process saves the output, read by the
// front ends. A front end shows one conversion's save at a time, so the
// state is one process-wide value; where several conversions run at once
// (the command line's many journals) nobody reads it, and their reports
// only overwrite each other. Every function here is lock-free and safe to
// call from any thread. A writer in another process (Excel over COM) is
// never heard, and the front ends then show the save as they always have.
class SaveProgress {
 public:
  // Forgets any earlier save; the driver calls it as a conversion starts.
  static void Reset() noexcept;
  // The writer has done `done` of `total` units of its save (any unit);
  // more than `total` counts as all of it, a `total` of 0 is ignored.
  static void Report(std::uint64_t done, std::uint64_t total) noexcept;
  // The share done, 0..1, or nothing when no writer has reported since Reset.
  static std::optional<double> Share() noexcept;
};

}  // namespace z917::platform
