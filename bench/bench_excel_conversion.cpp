// Converts a 200,000-packet synthetic journal to .xlsx the way z917conv
// does (driver, Excel writer, automation interface, workbook engine) and
// compares it with the floor: libxlsxwriter alone writing the same cells in
// constant-memory mode, from cells collected beforehand. Each run is a
// fresh process, so that its peak memory is its own.
//
//   bench_excel_conversion BUILD_DIR [PACKETS]
//   bench_excel_conversion --run floor|convert JOURNAL OUT   (internal)
#include <xlsxwriter.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

#include "app/conversion_driver.h"
#include "automation/server_factory.h"
#include "child_run.h"
#include "journal/cp1251.h"
#include "journal/entry_texts.h"
#include "journal/recording_writer.h"
#include "journal/synthetic_journal.h"
#include "seconds.h"
#include "xls/excel_book_writer.h"
#include "xls/workbook_layout.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using bench::Seconds;

class QuietMessages : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind kind, const std::string& text) override {
    if (kind == z917::MessageKind::Error) std::fprintf(stderr, "%s\n", text.c_str());
  }
};

// A child tells the parent how long its measured part took through a file
// beside its output: the floor's collecting of cells is not measured.
void ReportSeconds(const std::string& out, double seconds, double cells = 0, double rows = 0) {
  std::ofstream(out + ".seconds") << seconds << ' ' << cells << ' ' << rows;
}

struct Measured {
  double seconds = 0;
  double cells = 0;
  double rows = 0;
};

Measured ReadSeconds(const std::string& out) {
  Measured m;
  std::ifstream(out + ".seconds") >> m.seconds >> m.cells >> m.rows;
  return m;
}

// --- the conversion, as z917conv runs it ---

int RunConvert(const std::string& journal, const std::string& out) {
  QuietMessages messages;
  z917::xls::ExcelBookWriter excel(z917::automation::StartServer, messages);
  z917::ConversionDriver driver({excel, excel}, messages);
  return driver.ConvertJournal(journal, out, z917::OutputKind::Excel) ? 0 : 1;
}

// --- the floor: the same cells, collected first, then written directly ---

// A cell: a number with its format, a date, or a text.
struct Date {
  double value;
};
using Cell = std::variant<double, Date, std::string>;
using Row = std::vector<Cell>;

// Collects what the Excel writer would write, sheet by sheet, in row order;
// only the last Z-report stays, as in the workbook.
class CellCollector : public z917::RecordingWriter {
 public:
  template <typename... Values>
  static void Add(Row& row, Values&&... values) {
    (row.emplace_back(std::forward<Values>(values)), ...);
  }

  std::array<std::vector<Row>, z917::xls::kSheetCount> sheets;

  bool WriteSale(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                 std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h, std::uint32_t i,
                 std::uint32_t j, std::uint32_t k, std::uint8_t l, std::uint8_t m, std::uint8_t n,
                 const char* name) override {
    Sales(z917::xls::kSaleSheet, a, b, c, d, e, f, g, h, i, j, k, l, m, n, nullptr, name);
    return true;
  }
  bool WriteRefund(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                   std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h,
                   std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint8_t l,
                   std::uint8_t m, std::uint8_t n, const char* refund, const char* name) override {
    Sales(z917::xls::kRefundSheet, a, b, c, d, e, f, g, h, i, j, k, l, m, n, refund, name);
    return true;
  }
  bool WriteAnnulSale(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                      std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h,
                      std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint8_t l,
                      std::uint8_t m, std::uint8_t n, const char* name) override {
    Sales(z917::xls::kAnnulSaleSheet, a, b, c, d, e, f, g, h, i, j, k, l, m, n, nullptr, name);
    return true;
  }
  bool WriteAnnulRefund(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                        std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h,
                        std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint8_t l,
                        std::uint8_t m, std::uint8_t n, const char* refund,
                        const char* name) override {
    Sales(z917::xls::kAnnulRefundSheet, a, b, c, d, e, f, g, h, i, j, k, l, m, n, refund, name);
    return true;
  }
  bool WriteCashIn(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                   std::uint32_t e, std::uint32_t sum, std::uint32_t avail,
                   const char* name) override {
    Cash(z917::CashInText, a, b, c, d, e, sum, avail, name);
    return true;
  }
  bool WriteCashOut(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                    std::uint32_t e, std::uint32_t sum, std::uint32_t avail,
                    const char* name) override {
    Cash(z917::CashOutText, a, b, c, d, e, sum, avail, name);
    return true;
  }
  bool WriteReceipt(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                    std::uint32_t e, std::int64_t prov, std::int64_t code, std::uint32_t batch,
                    std::uint32_t avail, std::uint32_t price, const char* name) override {
    Goods(z917::xls::kReceiptSheet, a, b, c, d, e, prov, code, batch, avail, price, name);
    return true;
  }
  bool WriteReturn(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                   std::uint32_t e, std::int64_t prov, std::int64_t code, std::uint32_t batch,
                   std::uint32_t avail, std::uint32_t price, const char* name) override {
    Goods(z917::xls::kReturnSheet, a, b, c, d, e, prov, code, batch, avail, price, name);
    return true;
  }
  bool WriteCheckSumSale(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                         std::uint32_t e, std::int64_t total, std::uint32_t s1, std::uint32_t s2,
                         std::uint32_t s3, std::uint32_t s4, std::uint32_t s5, std::uint32_t s6,
                         std::uint32_t s7) override {
    Sums(z917::xls::kCheckSumSaleSheet, a, b, c, d, e, total, {s1, s2, s3, s4, s5, s6, s7});
    return true;
  }
  bool WriteCheckSumRefund(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c,
                           double d, std::uint32_t e, std::int64_t total, std::uint32_t s1,
                           std::uint32_t s2, std::uint32_t s3, std::uint32_t s4, std::uint32_t s5,
                           std::uint32_t s6, std::uint32_t s7) override {
    Sums(z917::xls::kCheckSumRefundSheet, a, b, c, d, e, total, {s1, s2, s3, s4, s5, s6, s7});
    return true;
  }

 private:
  static Row Head(std::uint16_t a, std::uint16_t b, std::uint8_t c, double d, std::uint32_t e) {
    Row row;
    Add(row, double(a), double(b), double(c), Date{d}, e == 0xFFFFFFFFu ? -1.0 : double(e));
    return row;
  }
  void Sales(std::size_t sheet, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
             std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h, std::uint32_t i,
             std::uint32_t j, std::uint32_t k, std::uint8_t l, std::uint8_t m, std::uint8_t n,
             const char* refund, const char* name) {
    Row row = Head(a, b, c, d, e);
    Add(row, double(f), double(g), double(h), i / 1000.0, j / 100.0, k / 100.0,
        std::string(z917::TaxGroupNames[l]), std::string(z917::WFlagNames[m]),
        std::string(z917::XFlagNames[n]));
    if (refund) row.emplace_back(z917::Cp1251ToUtf8(refund));
    row.emplace_back(z917::Cp1251ToUtf8(name));
    sheets[sheet].push_back(std::move(row));
  }
  void Cash(const char* word, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
            std::uint32_t e, std::uint32_t sum, std::uint32_t avail, const char* name) {
    Row row = Head(a, b, c, d, e);
    Add(row, std::string(word), sum / 100.0, avail / 100.0, z917::Cp1251ToUtf8(name));
    sheets[z917::xls::kCashSheet].push_back(std::move(row));
  }
  void Goods(std::size_t sheet, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
             std::uint32_t e, std::int64_t prov, std::int64_t code, std::uint32_t batch,
             std::uint32_t avail, std::uint32_t price, const char* name) {
    Row row = Head(a, b, c, d, e);
    Add(row, double(prov), double(code), double(batch), avail / 1000.0);
    row.emplace_back(price == 0xFFFFFFFFu ? Cell(std::string("-")) : Cell(price / 100.0));
    row.emplace_back(z917::Cp1251ToUtf8(name));
    sheets[sheet].push_back(std::move(row));
  }
  void Sums(std::size_t sheet, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
            std::uint32_t e, std::int64_t total, std::array<std::uint32_t, 7> sums) {
    Row row = Head(a, b, c, d, e);
    row.emplace_back(double(total) / 100.0);
    for (const auto s : sums) row.emplace_back(s / 100.0);
    sheets[sheet].push_back(std::move(row));
  }
};

int RunFloor(const std::string& journal, const std::string& out) {
  QuietMessages messages;
  CellCollector cells;
  cells.SetKeepEntries(false);
  z917::ConversionDriver driver({cells, cells}, messages);
  if (!driver.ConvertJournal(journal, out, z917::OutputKind::Excel)) return 1;

  const auto start = Clock::now();
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* book = workbook_new_opt(out.c_str(), &options);
  lxw_format* date = workbook_add_format(book);
  format_set_num_format_index(date, 22);
  const char* kFormats[] = {z917::xls::kCounterFormat, z917::xls::kQuantityFormat,
                            z917::xls::kMoneyFormat, z917::xls::kTextFormat};
  std::array<lxw_format*, 4> formats{};
  for (std::size_t f = 0; f < formats.size(); ++f) {
    formats[f] = workbook_add_format(book);
    format_set_num_format(formats[f], kFormats[f]);
  }
  auto formatOf = [&](const char* code) -> lxw_format* {
    for (std::size_t f = 0; f < formats.size(); ++f) {
      if (code && std::string(code) == kFormats[f]) return formats[f];
    }
    return nullptr;
  };
  const auto& layout = z917::xls::WorkbookLayout();
  for (std::size_t s = 0; s < z917::xls::kSheetCount; ++s) {
    lxw_worksheet* sheet = workbook_add_worksheet(book, layout[s].name);
    const auto& columns = layout[s].columns;
    // A column a Z-report: a few percent of the cells at most, left out.
    if (s == z917::xls::kZReportSheet) continue;
    std::vector<lxw_format*> columnFormat;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      columnFormat.push_back(formatOf(columns[c].format));
      worksheet_set_column(sheet, c, c, columns[c].width, columnFormat.back());
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
      worksheet_write_string(sheet, 0, c, columns[c].caption, columnFormat[c]);
    }
    lxw_row_t r = 1;
    for (const Row& row : cells.sheets[s]) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (const auto* n = std::get_if<double>(&row[c])) {
          worksheet_write_number(sheet, r, c, *n, columnFormat[c]);
        } else if (const auto* d = std::get_if<Date>(&row[c])) {
          worksheet_write_number(sheet, r, c, d->value, date);
        } else {
          worksheet_write_string(sheet, r, c, std::get<std::string>(row[c]).c_str(),
                                 columnFormat[c]);
        }
      }
      ++r;
    }
  }
  const bool ok = workbook_close(book) == LXW_NO_ERROR;
  double cellCount = 0;
  double rowCount = 0;
  for (const auto& sheet : cells.sheets) {
    rowCount += static_cast<double>(sheet.size());
    for (const auto& row : sheet) cellCount += static_cast<double>(row.size());
  }
  ReportSeconds(out, Seconds(start), cellCount, rowCount);
  return ok ? 0 : 1;
}

// --- the comparison ---

struct RunResult {
  Measured measured;
  long peakKiB;
};

RunResult RunChild(const char* kind, const std::string& journal, const std::string& out) {
  const bench::ChildRun run = bench::RunSelfInChild("bench_excel_conversion", {kind, journal, out});
  return {ReadSeconds(out), run.usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--run") {
    const std::string kind = argv[2];
    if (kind == "convert") {
      const auto start = Clock::now();
      const int rc = RunConvert(argv[3], argv[4]);
      ReportSeconds(argv[4], Seconds(start));
      return rc;
    }
    return RunFloor(argv[3], argv[4]);
  }
  const fs::path build = argc > 1 ? argv[1] : ".";
  const std::uint64_t packets = argc > 2 ? std::stoull(argv[2]) : 200000;
  const fs::path dir = build / "bench" / "bench_excel_conversion.out";
  fs::create_directories(dir);
  const std::string journal = (dir / "journal.bin").string();
  {
    std::ofstream file(journal, std::ios::binary);
    z917::GenerateSyntheticJournal({packets, 1}, [&](std::string_view p) {
      file.write(p.data(), static_cast<std::streamsize>(p.size()));
    });
  }
  // Best of three alternating runs: the machine is shared. The parent
  // holds nothing large, so the children's peaks are their own.
  RunResult floor{{1e9, 0, 0}, 0};
  RunResult convert{{1e9, 0, 0}, 0};
  for (int i = 0; i < 3; ++i) {
    const RunResult f = RunChild("floor", journal, (dir / "floor.xlsx").string());
    const RunResult c = RunChild("convert", journal, (dir / "convert.xlsx").string());
    if (f.measured.seconds < floor.measured.seconds) floor = f;
    if (c.measured.seconds < convert.measured.seconds) convert = c;
  }
  const double cells = floor.measured.cells;
  const double entries = floor.measured.rows;
  std::printf("%llu packets, %.0f rows, %.0f cells (the Z-report column aside)\n",
              static_cast<unsigned long long>(packets), entries, cells);
  std::printf("%-40s %6.2f s  %9.0f cells/s\n", "libxlsxwriter alone, same cells (floor)",
              floor.measured.seconds, cells / floor.measured.seconds);
  std::printf("%-40s %6.2f s  %9.0f entries/s  peak RSS %6.1f MiB\n",
              "journal to .xlsx (z917conv's path)", convert.measured.seconds,
              entries / convert.measured.seconds, convert.peakKiB / 1024.0);
  std::printf(
      "time ratio conversion/floor: %.2f (target <= 1.30); conversion peak %.1f "
      "bytes/cell (target < 32)\n",
      convert.measured.seconds / floor.measured.seconds, convert.peakKiB * 1024.0 / cells);
  fs::remove_all(dir);
  return 0;
}
