// z917gen: writes a synthetic journal.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "journal/synthetic_journal.h"

namespace {

constexpr const char* kUsage =
    "Usage: z917gen [--packets N] [--seed S] OUTPUT\n"
    "Writes a synthetic journal of N packets (default 1000) made from seed S\n"
    "(default 1) to OUTPUT; the same N and S always give the same file.\n";

bool ParseNumber(const char* text, std::uint64_t& value) {
  if (text == nullptr || *text == '\0' || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  z917::SyntheticJournalOptions options;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--packets" || arg == "--seed") {
      std::uint64_t& target = arg == "--packets" ? options.packets : options.seed;
      if (!ParseNumber(i + 1 < argc ? argv[++i] : nullptr, target)) {
        std::fprintf(stderr, "z917gen: %s needs a non-negative number\n%s", argv[i - 1], kUsage);
        return 2;
      }
    } else if (output == nullptr && !arg.starts_with("-")) {
      output = argv[i];
    } else {
      std::fprintf(stderr, "z917gen: unexpected argument '%s'\n%s", argv[i], kUsage);
      return 2;
    }
  }
  if (output == nullptr) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  std::FILE* file = std::fopen(output, "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "z917gen: cannot create %s: %s\n", output, std::strerror(errno));
    return 1;
  }
  z917::GenerateSyntheticJournal(options, [file](std::string_view packet) {
    std::fwrite(packet.data(), 1, packet.size(), file);
  });
  const bool failed = std::ferror(file) != 0;
  if (std::fclose(file) != 0 || failed) {
    std::fprintf(stderr, "z917gen: cannot write %s\n", output);
    std::remove(output);
    return 1;
  }
  return 0;
}
