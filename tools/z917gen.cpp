// z917gen: writes a synthetic journal.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "journal/synthetic_journal.h"
#include "platform/console.h"
#include "platform/file_stream.h"

namespace {

constexpr const char* kUsage =
    "Usage: z917gen [--packets N] [--seed S] OUTPUT\n"
    "Writes a synthetic journal of N packets (default 1000) made from seed S\n"
    "(default 1) to OUTPUT; the same N and S always give the same file.\n";

bool ParseNumber(const std::string* arg, std::uint64_t& value) {
  const char* text = arg ? arg->c_str() : nullptr;
  if (text == nullptr || *text == '\0' || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  z917::journal::SyntheticJournalOptions options;
  // UTF-8 whatever the system: on Windows from the wide command line.
  const std::vector<std::string> args = z917::platform::ProgramArguments(argc, argv);
  const std::string* output = nullptr;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--packets" || arg == "--seed") {
      std::uint64_t& target = arg == "--packets" ? options.packets : options.seed;
      if (!ParseNumber(i + 1 < args.size() ? &args[++i] : nullptr, target)) {
        const std::string option(arg);
        std::fprintf(stderr, "z917gen: %s needs a non-negative number\n%s", option.c_str(), kUsage);
        return 2;
      }
    } else if (output == nullptr && !arg.starts_with("-")) {
      output = &args[i];
    } else {
      std::fprintf(stderr, "z917gen: unexpected argument '%s'\n%s", args[i].c_str(), kUsage);
      return 2;
    }
  }
  if (output == nullptr) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  std::FILE* file = z917::platform::OpenFileStream(*output, "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "z917gen: cannot create %s: %s\n", output->c_str(), std::strerror(errno));
    return 1;
  }
  z917::journal::GenerateSyntheticJournal(options, [file](std::string_view packet) {
    std::fwrite(packet.data(), 1, packet.size(), file);
  });
  const bool failed = std::ferror(file) != 0;
  if (std::fclose(file) != 0 || failed) {
    std::fprintf(stderr, "z917gen: cannot write %s\n", output->c_str());
    std::remove(output->c_str());
    return 1;
  }
  return 0;
}
