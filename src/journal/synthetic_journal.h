// Realistic journals made up for tests, benchmarks and the demo.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace z917::journal {

struct SyntheticJournalOptions {
  std::uint64_t packets = 1000;  // exactly this many packets are made
  std::uint64_t seed = 1;        // the same seed gives the same bytes
};

// Makes a journal of shifts: cash put in at the start, checks of sale lines
// (sometimes refunds and annulled lines) each followed by its check total,
// now and then a receipt or return of goods, cash taken out and a Z-report
// at the end. Dates and packet numbers rise; names are Ukrainian in
// Windows-1251. Calls `sink` once per packet with its bytes.
void GenerateSyntheticJournal(const SyntheticJournalOptions& options,
                              const std::function<void(std::string_view packet)>& sink);

}  // namespace z917::journal
