// Journal files for tests: synthetic journals written where a program
// will read them.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "journal/synthetic_journal.h"
#include "support/files.h"

namespace z917::test {

// Writes the synthetic journal `options` make to `path`, followed by `tail`
// (a damaged packet, say); gives the path as UTF-8 text.
inline std::string WriteSyntheticJournal(const std::filesystem::path& path,
                                         const journal::SyntheticJournalOptions& options,
                                         std::string_view tail = "") {
  std::ofstream out(path, std::ios::binary);
  journal::GenerateSyntheticJournal(options, [&out](std::string_view packet) {
    out.write(packet.data(), static_cast<std::streamsize>(packet.size()));
  });
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  return Utf8(path);
}

}  // namespace z917::test
