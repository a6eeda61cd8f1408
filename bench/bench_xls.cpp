// Fills the workbook engine with the 3,000,000 cells of bench_xlsx (200,000
// journal-like rows of 15 cells, here on 4 sheets of 50,000 rows, since an
// .xls sheet holds 65,536) and saves the workbook as .xls and as .xlsx,
// each in a fresh process so that its peak memory is its own. Prints the
// time of each save, the peak RSS of each process and how much of it the
// save added on top of the filled workbook.
//
//   bench_xls BUILD_DIR [ROWS_PER_SHEET]        three alternating runs of each
//   bench_xls --run xls|xlsx DIR ROWS_PER_SHEET  one run (used internally)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "automation/automation_error.h"
#include "automation/server_factory.h"
#include "child_run.h"
#include "sale_rows.h"
#include "seconds.h"

namespace {

using namespace z917::automation;
using namespace bench;
namespace fs = std::filesystem;

constexpr int kSheets = 4;
constexpr int kRounds = 3;
constexpr const char* kSheetNames[kSheets] = {"Продажі 1", "Продажі 2", "Продажі 3", "Продажі 4"};

// The peak resident set of this process so far, in KiB.
long PeakKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

// One run: fill, save in `kind`, and leave the save's time and the peak
// before it in DIR/KIND.result.
int RunOne(const std::string& kind, const fs::path& dir, std::uint32_t rowsPerSheet) {
  Dispatch app = StartServer("Excel.Application");
  app.Set("Visible", false);
  app.GetObject("Workbooks").Call("Add", {std::int16_t{-4167}});
  Dispatch book = app.GetObject("Workbooks", {1});
  RowSource source;
  for (int s = 0; s < kSheets; ++s) {
    if (s > 0) {
      const Variant last = book.Get("Worksheets", {s});
      book.GetObject("Worksheets").Call("Add", {}, {{"After", last}});
    }
    Dispatch sheet = book.GetObject("Worksheets", {s + 1});
    FillSheet(sheet, kSheetNames[s], source, s * rowsPerSheet, rowsPerSheet);
  }
  book.GetObject("Worksheets", {1}).Call("Select");
  const long filledPeak = PeakKiB();
  app.Set("DisplayAlerts", false);
  const auto start = std::chrono::steady_clock::now();
  book.Call("SaveAs", {(dir / ("out." + kind)).string(), kind == "xls" ? 56 : 51});
  const double saved = Seconds(start);
  app.Call("Quit");
  std::ofstream(dir / (kind + ".result")) << saved << ' ' << filledPeak << '\n';
  return 0;
}

struct Run {
  double saveSeconds = 1e300;
  long peakKiB = 0;        // of the whole process
  long filledPeakKiB = 0;  // before the save began
};

Run RunChild(const std::string& kind, const fs::path& dir, std::uint32_t rowsPerSheet) {
  const ChildRun child =
      RunSelfInChild("bench_xls", {kind, dir.string(), std::to_string(rowsPerSheet)});
  Run run;
  std::ifstream(dir / (kind + ".result")) >> run.saveSeconds >> run.filledPeakKiB;
  run.peakKiB = child.usage.ru_maxrss;
  return run;
}

void Report(const char* label, const Run& run, double cells, std::uintmax_t bytes) {
  std::printf(
      "%-6s save %6.3f s %9.0f cells/s  peak RSS %6.1f MiB, of it the save %6.1f MiB  file %6.1f "
      "MiB\n",
      label, run.saveSeconds, cells / run.saveSeconds, run.peakKiB / 1024.0,
      std::max(0L, run.peakKiB - run.filledPeakKiB) / 1024.0, bytes / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--run") {
    try {
      return RunOne(argv[2], argv[3], static_cast<std::uint32_t>(std::stoul(argv[4])));
    } catch (const AutomationError& e) {
      std::fprintf(stderr, "bench_xls: %s\n", e.what());
      return 1;
    }
  }
  const fs::path build = argc > 1 ? argv[1] : ".";
  const std::uint32_t rowsPerSheet =
      argc > 2 ? static_cast<std::uint32_t>(std::stoul(argv[2])) : 50000;
  const fs::path dir = build / "bench" / "bench_xls.out";
  fs::create_directories(dir);
  const double cells = double(rowsPerSheet) * kColumns * kSheets;
  std::printf("%d sheets x %u rows x %d cells = %.0f cells, best of %d alternating runs\n", kSheets,
              rowsPerSheet, kColumns, cells, kRounds);
  // The machine is shared: alternate the two and keep each one's best.
  Run xls, xlsx;
  for (int round = 0; round < kRounds; ++round) {
    for (auto [kind, best] : {std::pair{"xls", &xls}, std::pair{"xlsx", &xlsx}}) {
      const Run run = RunChild(kind, dir, rowsPerSheet);
      best->saveSeconds = std::min(best->saveSeconds, run.saveSeconds);
      best->peakKiB = std::max(best->peakKiB, run.peakKiB);
      best->filledPeakKiB = std::max(best->filledPeakKiB, run.filledPeakKiB);
    }
  }
  Report(".xls", xls, cells, fs::file_size(dir / "out.xls"));
  Report(".xlsx", xlsx, cells, fs::file_size(dir / "out.xlsx"));
  std::printf("save time ratio .xlsx/.xls: %.1f\n", xlsx.saveSeconds / xls.saveSeconds);
  fs::remove_all(dir);
  return 0;
}
