// z917dump: decodes a journal and prints how many entries of each kind it
// holds, or every entry with --entries. A look inside without an output.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion_driver.h"
#include "journal/recording_writer.h"
#include "platform/console.h"

namespace {

class StreamMessages : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind kind, const std::string& text) override {
    std::FILE* out = kind == z917::MessageKind::Error ? stderr : stdout;
    z917::platform::WriteText(out, text + "\n");
    if (kind == z917::MessageKind::Error) failed = true;
  }
  bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
  bool entries = false;
  // UTF-8 whatever the system: on Windows from the wide command line.
  const std::vector<std::string> args = z917::platform::ProgramArguments(argc, argv);
  const std::string* journal = nullptr;
  for (const std::string& arg : args) {
    if (arg == "--entries") {
      entries = true;
    } else if (journal == nullptr && !arg.starts_with("-")) {
      journal = &arg;
    } else {
      journal = nullptr;
      break;
    }
  }
  if (journal == nullptr) {
    std::fputs("Usage: z917dump [--entries] JOURNAL\n", stderr);
    return 2;
  }

  StreamMessages messages;
  z917::journal::RecordingWriter writer(&messages);
  writer.SetKeepEntries(entries);
  z917::driver::ConversionDriver driver({writer, writer}, messages);
  const bool ok = driver.ConvertJournal(*journal, "(none)", z917::OutputKind::Xml);
  for (const z917::journal::RecordedEntry& e : writer.Entries()) {
    z917::platform::WriteText(stdout, e.text + "\n");
  }

  std::printf("%-16s %10s\n", "entry kind", "entries");
  for (std::size_t k = 0; k < z917::journal::kEntryKindCount; ++k) {
    const auto kind = static_cast<z917::journal::EntryKind>(k);
    std::printf("%-16s %10zu\n", z917::journal::EntryKindName(kind), writer.Count(kind));
  }
  std::printf("%-16s %10zu\n", "total", writer.TotalCount());
  return ok ? 0 : 1;
}
