// Converts synthetic journals to .xls through the COM test server in
// another process (Windows, or Wine), as a real Excel would be driven:
// once with every row in a call of its own, once with rows in blocks.
// Prints entries per second and automation calls per entry.
//
//   bench_com_server SERVER_EXE OUT_DIR [ROW_PACKETS] [BLOCK_PACKETS]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/conversion_driver.h"
#include "automation/com/com_object.h"
#include "automation/com/com_start.h"
#include "journal/recording_writer.h"
#include "journal/synthetic_journal.h"
#include "xls/excel_book_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class PrintedErrors : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind kind, const std::string& text) override {
    if (kind == z917::MessageKind::Error) std::fprintf(stderr, "%s\n", text.c_str());
  }
};

bool Register(const fs::path& server) {
  std::wstring line = L"\"" + server.wstring() + L"\" /RegServer";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return false;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return code == 0;
}

fs::path MakeJournal(const fs::path& folder, std::uint64_t packets) {
  const fs::path path = folder / ("journal-" + std::to_string(packets) + ".bin");
  std::ofstream out(path, std::ios::binary);
  z917::GenerateSyntheticJournal({packets, 1},
                                 [&](std::string_view p) { out.write(p.data(), p.size()); });
  return path;
}

std::size_t CountEntries(const fs::path& journal) {
  PrintedErrors messages;
  z917::RecordingWriter recorder;
  z917::ConversionDriver driver({recorder, recorder}, messages);
  driver.ConvertJournal(journal.string(), (journal.parent_path() / "count.xml").string(),
                        z917::OutputKind::Xml);
  return recorder.TotalCount();
}

void Measure(const char* route, const fs::path& journal, std::size_t rowsPerBlock) {
  PrintedErrors messages;
  const auto start = [](std::string_view) {
    return z917::automation::com::StartComServer("Z917.TestExcel");
  };
  z917::xls::ExcelBookWriter excel(start, messages, rowsPerBlock);
  z917::RecordingWriter unused;
  z917::ConversionDriver driver({excel, unused}, messages);
  const std::size_t entries = CountEntries(journal);
  const std::uint64_t callsBefore = z917::automation::com::InvokeCount();
  const auto began = Clock::now();
  const bool converted = driver.ConvertJournal(
      journal.string(), (journal.parent_path() / "out.xls").string(), z917::OutputKind::Excel);
  const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
  const double calls = static_cast<double>(z917::automation::com::InvokeCount() - callsBefore);
  std::printf("%-22s %8zu entries %8.2f s %10.0f entries/s %6.3f calls/entry%s\n", route, entries,
              seconds, entries / seconds, calls / entries, converted ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_com_server SERVER_EXE OUT_DIR [ROW_PACKETS] [BLOCK_PACKETS]\n");
    return 2;
  }
  const fs::path folder = argv[2];
  fs::create_directories(folder);
  if (!Register(argv[1])) {
    std::fprintf(stderr, "could not register %s\n", argv[1]);
    return 1;
  }
  const std::uint64_t rowPackets = argc > 3 ? std::stoull(argv[3]) : 3000;
  const std::uint64_t blockPackets = argc > 4 ? std::stoull(argv[4]) : 100000;
  std::printf("Through the COM test server in another process (start and save included):\n");
  Measure("one call per row", MakeJournal(folder, rowPackets), 1);
  Measure("rows in blocks", MakeJournal(folder, blockPackets), z917::xls::kRowsPerBlock);
  return 0;
}
