// Writes 200,000 rows of 15 cells (numbers, dates, short texts) and saves
// them as .xlsx twice, each in a fresh process so that its time and peak
// memory are its own: once through the automation interface and the
// workbook engine, as the Excel writer does, and once by calling
// libxlsxwriter directly in constant-memory mode (the floor). Compares CPU
// time (user + system of every thread, from wait4), as the journal's
// conversion is compared in bench_excel_conversion; prints cells per second
// and peak RSS too.
//
//   bench_xlsx BUILD_DIR [ROWS]          run both, three times each, and compare
//   bench_xlsx --run floor|engine DIR ROWS   one run (used internally)
#include <unistd.h>
#include <xlsxwriter.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "automation/server_factory.h"
#include "child_run.h"
#include "sale_rows.h"
#include "seconds.h"

namespace {

using namespace z917::automation;
namespace fs = std::filesystem;

using namespace bench;

constexpr int kRounds = 3;

// --- the floor: libxlsxwriter called directly ---

int RunFloor(const fs::path& path, std::uint32_t rows) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Продажі");
  // One format object per distinct format, as a careful caller does:
  // libxlsxwriter hashes a format again on every use when two objects
  // describe the same format.
  std::array<lxw_format*, kColumns> formats{};
  lxw_format* dateTime = workbook_add_format(book);
  format_set_num_format_index(dateTime, 22);
  for (int c = 0; c < kColumns; ++c) {
    for (int earlier = 0; earlier < c && !formats[c]; ++earlier) {
      if (kFormats[earlier] && kFormats[c] && std::string(kFormats[earlier]) == kFormats[c]) {
        formats[c] = formats[earlier];
      }
    }
    if (!kFormats[c]) {
      formats[c] = dateTime;
    } else if (!formats[c]) {
      formats[c] = workbook_add_format(book);
      format_set_num_format(formats[c], kFormats[c]);
    }
    worksheet_set_column(sheet, c, c, kWidths[c], kFormats[c] ? formats[c] : nullptr);
  }
  for (int c = 0; c < kColumns; ++c) {
    worksheet_write_string(sheet, 0, c, kCaptions[c], kFormats[c] ? formats[c] : nullptr);
  }
  RowSource source;
  for (std::uint32_t i = 0; i < rows; ++i) {
    const SaleRow s = source.Row(i);
    const lxw_row_t r = i + 1;
    const double numbers[11] = {double(s.smena), double(s.check),  double(s.cashier),
                                s.dateTime,      double(s.packet), double(s.annul),
                                double(s.code),  double(s.batch),  s.avail / 1000.0,
                                s.price / 100.0, s.total / 100.0};
    for (int c = 0; c < 11; ++c) worksheet_write_number(sheet, r, c, numbers[c], formats[c]);
    worksheet_write_string(sheet, r, 11, s.tax, formats[11]);
    worksheet_write_string(sheet, r, 12, s.weighing, formats[12]);
    worksheet_write_string(sheet, r, 13, s.kind, formats[13]);
    worksheet_write_string(sheet, r, 14, s.name->c_str(), formats[14]);
  }
  return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}

// --- the engine, driven as the Excel writer drives it ---

int RunEngine(const fs::path& path, std::uint32_t rows) {
  const auto start = std::chrono::steady_clock::now();
  Dispatch app = StartServer("Excel.Application");
  app.Set("Visible", false);
  app.GetObject("Workbooks").Call("Add", {std::int16_t{-4167}});
  Dispatch sheet = app.GetObject("Workbooks", {1}).GetObject("Worksheets", {1});
  RowSource source;
  FillSheet(sheet, "Продажі", source, 0, rows);
  const double filled = Seconds(start);
  app.Set("DisplayAlerts", false);
  app.GetObject("Workbooks", {1}).Call("SaveAs", {path.string(), 51});
  app.Call("Quit");
  std::printf("   engine: filling %.2f s, saving %.2f s\n", filled, Seconds(start) - filled);
  return 0;
}

// --- the comparison ---

struct RunResult {
  double seconds = 0;
  double cpu = 0;
  long peakKiB = 0;
};

RunResult RunChild(const char* kind, const fs::path& dir, std::uint32_t rows) {
  const ChildRun run = RunSelfInChild("bench_xlsx", {kind, dir.string(), std::to_string(rows)});
  return {run.seconds, CpuSeconds(run.usage), run.usage.ru_maxrss};
}

RunResult MedianOf(const std::vector<RunResult>& runs) {
  std::vector<double> seconds, cpu, peak;
  for (const RunResult& r : runs) {
    seconds.push_back(r.seconds);
    cpu.push_back(r.cpu);
    peak.push_back(double(r.peakKiB));
  }
  return {Median(seconds), Median(cpu), static_cast<long>(Median(peak))};
}

void Report(const char* label, const RunResult& run, double cells) {
  std::printf(
      "%-34s %6.2f s wall %6.2f s CPU %9.0f cells/s CPU  peak RSS %6.1f MiB (%5.1f bytes/cell)\n",
      label, run.seconds, run.cpu, cells / run.cpu, run.peakKiB / 1024.0,
      run.peakKiB * 1024.0 / cells);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--run") {
    const fs::path dir = argv[3];
    const auto rows = static_cast<std::uint32_t>(std::stoul(argv[4]));
    const std::string kind = argv[2];
    try {
      return kind == "floor" ? RunFloor(dir / "floor.xlsx", rows)
                             : RunEngine(dir / "engine.xlsx", rows);
    } catch (const AutomationError& e) {
      std::fprintf(stderr, "bench_xlsx: %s\n", e.what());
      return 1;
    }
  }
  const fs::path build = argc > 1 ? argv[1] : ".";
  const std::uint32_t rows = argc > 2 ? static_cast<std::uint32_t>(std::stoul(argv[2])) : 200000;
  // Of this run alone: another run of the same build must not take its files.
  const fs::path dir = build / "bench" / ("bench_xlsx.out." + std::to_string(::getpid()));
  fs::create_directories(dir);
  const double cells = double(rows) * kColumns;
  std::printf("%u rows x %d cells = %.0f cells, medians of %d alternating runs\n", rows, kColumns,
              cells, kRounds);
  // The machine is shared: alternate the two and keep each figure's
  // median, so that a burst of other work does not decide the comparison.
  std::vector<RunResult> floorRuns, engineRuns;
  for (int round = 0; round < kRounds; ++round) {
    floorRuns.push_back(RunChild("floor", dir, rows));
    engineRuns.push_back(RunChild("engine", dir, rows));
  }
  const RunResult floor = MedianOf(floorRuns);
  const RunResult engine = MedianOf(engineRuns);
  Report("libxlsxwriter directly (floor)", floor, cells);
  Report("automation interface + engine", engine, cells);
  std::printf("CPU ratio engine/floor: %.2f; wall ratio: %.2f\n", engine.cpu / floor.cpu,
              engine.seconds / floor.seconds);
  std::printf("files: %s %s\n", std::to_string(fs::file_size(dir / "floor.xlsx")).c_str(),
              std::to_string(fs::file_size(dir / "engine.xlsx")).c_str());
  fs::remove_all(dir);
  return 0;
}
