// Converts synthetic journals to .xls through the COM test server in
// another process (Windows, or Wine), as a real Excel would be driven:
// once with every row in a call of its own, once with rows in blocks.
// Prints entries per second and automation calls per entry, and the
// built-in engine in process for comparison.
//
//   bench_com_server SERVER_EXE OUT_DIR [ROW_PACKETS] [BLOCK_PACKETS] [ROWS_PER_BLOCK]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/conversion_driver.h"
#include "automation/com/com_object.h"
#include "automation/com/com_start.h"
#include "automation/server_factory.h"
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

// Seconds of a conversion of an empty journal: start, layout, save, quit.
double fixedSeconds = 0;

void Measure(const char* route, const fs::path& journal, std::size_t rowsPerBlock,
             bool inProcess = false) {
  PrintedErrors messages;
  const auto start = [inProcess](std::string_view progId) {
    if (inProcess) return z917::automation::StartServer(progId);
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
  std::printf(
      "%-18s %7zu entries %6.2f s %7.0f entries/s (%7.0f beyond the fixed %.2f s) "
      "%6.3f calls/entry%s\n",
      route, entries, seconds, entries / seconds, entries / std::max(seconds - fixedSeconds, 1e-6),
      fixedSeconds, calls / entries, converted ? "" : "  FAILED");
}

void MeasureFixed(const fs::path& folder) {
  const fs::path empty = folder / "empty.bin";
  std::ofstream(empty, std::ios::binary).close();
  PrintedErrors messages;
  z917::xls::ExcelBookWriter excel(
      [](std::string_view) { return z917::automation::com::StartComServer("Z917.TestExcel"); },
      messages);
  z917::RecordingWriter unused;
  z917::ConversionDriver driver({excel, unused}, messages);
  const std::uint64_t callsBefore = z917::automation::com::InvokeCount();
  const auto began = Clock::now();
  driver.ConvertJournal(empty.string(), (folder / "empty.xls").string(), z917::OutputKind::Excel);
  fixedSeconds = std::chrono::duration<double>(Clock::now() - began).count();
  std::printf("empty journal: %.2f s, %llu calls (server start, layout, save, quit)\n",
              fixedSeconds,
              static_cast<unsigned long long>(z917::automation::com::InvokeCount() - callsBefore));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: bench_com_server SERVER_EXE OUT_DIR [ROW_PACKETS] [BLOCK_PACKETS] "
                 "[ROWS_PER_BLOCK]\n");
    return 2;
  }
  const fs::path folder = argv[2];
  fs::create_directories(folder);
  if (!Register(argv[1])) {
    std::fprintf(stderr, "could not register %s\n", argv[1]);
    return 1;
  }
  const std::uint64_t rowPackets = argc > 3 ? std::stoull(argv[3]) : 3000;
  // 35,000 packets make about 69,000 entries, a long journal; the sales
  // sheet stays below the .xls sheet's last row, 65,536.
  const std::uint64_t blockPackets = argc > 4 ? std::stoull(argv[4]) : 35000;
  std::printf("Through the COM test server in another process (start and save included):\n");
  MeasureFixed(folder);
  Measure("one call per row", MakeJournal(folder, rowPackets), 1);
  const fs::path journal = MakeJournal(folder, blockPackets);
  const std::size_t rowsPerBlock = argc > 5 ? std::stoull(argv[5]) : z917::xls::kRowsPerBlock;
  Measure("rows in blocks", journal, rowsPerBlock);
  fixedSeconds = 0;
  Measure("engine in process", journal, z917::xls::kRowsPerBlock, true);
  return 0;
}
