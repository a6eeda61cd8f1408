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
#include <utility>
#include <vector>

#include "automation/com/com_object.h"
#include "automation/com/com_start.h"
#include "automation/server_factory.h"
#include "driver/conversion_driver.h"
#include "excel_writer/excel_book_writer.h"
#include "excel_writer/row_transport.h"
#include "journal/recording_writer.h"
#include "journal/synthetic_journal.h"

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
  z917::journal::GenerateSyntheticJournal(
      {packets, 1}, [&](std::string_view p) { out.write(p.data(), p.size()); });
  return path;
}

std::size_t CountEntries(const fs::path& journal) {
  PrintedErrors messages;
  z917::journal::RecordingWriter recorder;
  z917::driver::ConversionDriver driver({recorder, recorder}, messages);
  driver.ConvertJournal(journal.string(), (journal.parent_path() / "count.xml").string(),
                        z917::OutputKind::Xml);
  return recorder.TotalCount();
}

// Seconds of a conversion of an empty journal: start, layout, save, quit.
double fixedSeconds = 0;

// The engine's application in this process, saying it is not (the writer
// asks only the application): the writer hands it rows
// in blocks of typed runs as it does a server in another process, so the
// time is this side's work and the engine's without the transport.
class AsIfRemote : public z917::automation::AutomationObject {
 public:
  explicit AsIfRemote(z917::automation::ObjectRef inner) : inner_(std::move(inner)) {}
  z917::automation::Variant GetProperty(std::string_view member,
                                        const z917::automation::Arguments& args) override {
    return inner_->GetProperty(member, args);
  }
  void SetProperty(std::string_view member, const z917::automation::Arguments& args,
                   const z917::automation::Variant& v) override {
    inner_->SetProperty(member, args, v);
  }
  z917::automation::Variant CallMethod(std::string_view member,
                                       const z917::automation::Arguments& args) override {
    return inner_->CallMethod(member, args);
  }
  bool OutOfProcess() const override { return true; }

 private:
  z917::automation::ObjectRef inner_;
};

enum class Route { ComServer, EngineInBlocks, Engine };

// One conversion of `journal` through `start`: its seconds, and whether it
// converted.
struct Run {
  double seconds;
  bool converted;
};

Run ConvertOnce(const fs::path& journal, std::size_t rowsPerBlock, Route route) {
  PrintedErrors messages;
  const auto start = [route](std::string_view progId) {
    switch (route) {
      case Route::Engine:
        return z917::automation::StartServer(progId);
      case Route::EngineInBlocks:
        return z917::automation::Dispatch(
            std::make_shared<AsIfRemote>(z917::automation::StartServer(progId).Object()));
      case Route::ComServer:
        break;
    }
    return z917::automation::com::StartComServer("Z917.TestExcel");
  };
  z917::excel_writer::ExcelBookWriter excel(start, messages, rowsPerBlock);
  z917::journal::RecordingWriter unused;
  z917::driver::ConversionDriver driver({excel, unused}, messages);
  const auto began = Clock::now();
  const bool converted = driver.ConvertJournal(
      journal.string(), (journal.parent_path() / "out.xls").string(), z917::OutputKind::Excel);
  return {std::chrono::duration<double>(Clock::now() - began).count(), converted};
}

// Converts `journal` `runs` times and prints the median run; the machine's
// other work moves single runs by a tenth either way.
void Measure(const char* name, const fs::path& journal, std::size_t rowsPerBlock,
             Route route = Route::ComServer, int runs = 1) {
  const std::size_t entries = CountEntries(journal);
  const std::uint64_t callsBefore = z917::automation::com::InvokeCount();
  std::vector<double> seconds;
  bool converted = true;
  for (int i = 0; i < runs; ++i) {
    const Run run = ConvertOnce(journal, rowsPerBlock, route);
    seconds.push_back(run.seconds);
    converted = converted && run.converted;
  }
  const double calls =
      static_cast<double>(z917::automation::com::InvokeCount() - callsBefore) / runs;
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  std::printf(
      "%-18s %7zu entries %6.2f s %7.0f entries/s (%7.0f beyond the fixed %.2f s) "
      "%6.3f calls/entry%s\n",
      name, entries, median, entries / median, entries / std::max(median - fixedSeconds, 1e-6),
      fixedSeconds, calls / entries, converted ? "" : "  FAILED");
  if (runs > 1) {
    std::printf("%18s median of %d runs, from %.2f s to %.2f s\n", "", runs, seconds.front(),
                seconds.back());
  }
}

// Seconds of a conversion of an empty journal through the server in
// another process, and of the server's start within them.
Run ConvertEmpty(const fs::path& empty, double& startSeconds) {
  PrintedErrors messages;
  z917::excel_writer::ExcelBookWriter excel(
      [&startSeconds](std::string_view) {
        const auto began = Clock::now();
        auto app = z917::automation::com::StartComServer("Z917.TestExcel");
        startSeconds = std::chrono::duration<double>(Clock::now() - began).count();
        return app;
      },
      messages);
  z917::journal::RecordingWriter unused;
  z917::driver::ConversionDriver driver({excel, unused}, messages);
  const auto began = Clock::now();
  const bool converted = driver.ConvertJournal(
      empty.string(), (empty.parent_path() / "empty.xls").string(), z917::OutputKind::Excel);
  return {std::chrono::duration<double>(Clock::now() - began).count(), converted};
}

// The fixed cost, the median of three conversions of an empty journal
// (the first start of COM in a process takes longer than later ones).
void MeasureFixed(const fs::path& folder) {
  const fs::path empty = folder / "empty.bin";
  std::ofstream(empty, std::ios::binary).close();
  const std::uint64_t callsBefore = z917::automation::com::InvokeCount();
  const std::uint64_t lookupsBefore = z917::automation::com::LookupCount();
  std::vector<std::pair<double, double>> runs;  // seconds, of them the start's
  for (int i = 0; i < 3; ++i) {
    double startSeconds = 0;
    const Run run = ConvertEmpty(empty, startSeconds);
    runs.emplace_back(run.seconds, startSeconds);
  }
  std::sort(runs.begin(), runs.end());
  fixedSeconds = runs[1].first;
  std::printf(
      "empty journal: %.2f s (%.2f s of it the server's start), %llu calls and %llu name "
      "look-ups (layout, save, quit)\n",
      fixedSeconds, runs[1].second,
      static_cast<unsigned long long>(z917::automation::com::InvokeCount() - callsBefore) / 3,
      static_cast<unsigned long long>(z917::automation::com::LookupCount() - lookupsBefore) / 3);
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
  const std::size_t rowsPerBlock =
      argc > 5 ? std::stoull(argv[5]) : z917::excel_writer::kRowsPerBlock;
  Measure("rows in blocks", journal, rowsPerBlock, Route::ComServer, 5);
  fixedSeconds = 0;
  std::printf("In this process (no transport):\n");
  Measure("engine, blocks", journal, rowsPerBlock, Route::EngineInBlocks, 3);
  Measure("engine, row by row", journal, rowsPerBlock, Route::Engine, 3);
  return 0;
}
