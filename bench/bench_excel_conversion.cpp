// Checks the targets of the journal's conversion to .xlsx on a synthetic
// journal (z917gen's, seed 3) of 200,000 packets, through the conversion
// driver as z917conv runs it. Every run is a fresh process measured by
// wait4, so that its time and peak memory are its own.
//   1. CPU time (user + system, both of the writer's threads) at most a
//      third of the floor's: libxlsxwriter alone writing the same cells in
//      constant-memory mode, from cells collected beforehand; the floor's
//      collecting is left out, as its getrusage before the first cell tells.
//   2. Wall time at most 4 times that of the same journal to XML.
//   3. Peak RSS at most 48 MB, and from 200,000 to 400,000 packets it grows
//      by no more than the .xlsx file does.
// Medians of three alternating rounds: the machine is shared.
//
//   bench_excel_conversion BUILD_DIR [PACKETS]   (default 200000; the growth run doubles it)
//   bench_excel_conversion --run floor|xlsx|xml JOURNAL OUT   (internal)
#include <sys/resource.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

#include "automation/server_factory.h"
#include "child_run.h"
#include "driver/conversion_driver.h"
#include "excel_writer/excel_book_writer.h"
#include "excel_writer/workbook_layout.h"
#include "journal/cp1251.h"
#include "journal/entry_texts.h"
#include "journal/recording_writer.h"
#include "journal/synthetic_journal.h"
#include "seconds.h"
#include "xml/xml_journal_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using bench::CpuSeconds;
using bench::Median;
using bench::Seconds;

constexpr std::uint64_t kSeed = 3;
constexpr int kRounds = 3;
constexpr double kCpuShareOfFloor = 1.0 / 3;
constexpr double kWallTimesXml = 4;
// MB as 10^6 bytes, the stricter reading; MiB is printed beside it.
constexpr double kPeakMB = 48;
constexpr double kMB = 1e6;

const z917::xml::RegionalSettings kXmlSettings{",", "%d.%m.%Y", "%-H:%M:%S"};

class QuietMessages : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind kind, const std::string& text) override {
    if (kind == z917::MessageKind::Error) std::fprintf(stderr, "%s\n", text.c_str());
  }
};

std::uint64_t TotalEntries(const z917::journal::EntryCounters& c) {
  return std::uint64_t{c.Sale} + c.Refund + c.AnnulSale + c.AnnulRefund + c.CashMovements +
         c.Receipt + c.Return + c.ZReport + c.CheckSumSale + c.CheckSumRefund;
}

// What a child tells the parent through a file beside its output: the
// journal's entries and, from the floor, what its writing alone cost.
struct Reported {
  double entries = 0;
  double writeCpu = 0;
  double writeWall = 0;
  double collectCpu = 0;
};

void Report(const std::string& out, const Reported& r) {
  std::ofstream(out + ".result") << r.entries << ' ' << r.writeCpu << ' ' << r.writeWall << ' '
                                 << r.collectCpu;
}

Reported ReadReport(const std::string& out) {
  Reported r;
  std::ifstream(out + ".result") >> r.entries >> r.writeCpu >> r.writeWall >> r.collectCpu;
  fs::remove(out + ".result");
  return r;
}

double SelfCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return CpuSeconds(usage);
}

// --- the conversion, as z917conv runs it ---

int RunConvert(const std::string& journal, const std::string& out, z917::OutputKind kind) {
  QuietMessages messages;
  z917::excel_writer::ExcelBookWriter excel(z917::automation::StartServer, messages);
  z917::xml::XmlJournalWriter xml(messages, kXmlSettings);
  z917::driver::ConversionDriver driver({excel, xml}, messages);
  if (!driver.ConvertJournal(journal, out, kind)) return 1;
  Report(out, {double(TotalEntries(driver.Counters()))});
  return 0;
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
class CellCollector : public z917::journal::RecordingWriter {
 public:
  template <typename... Values>
  static void Add(Row& row, Values&&... values) {
    (row.emplace_back(std::forward<Values>(values)), ...);
  }

  std::array<std::vector<Row>, z917::excel_writer::kSheetCount> sheets;

  bool WriteSale(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                 std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h, std::uint32_t i,
                 std::uint32_t j, std::uint32_t k, std::uint8_t l, std::uint8_t m, std::uint8_t n,
                 const char* name) override {
    Sales(z917::excel_writer::kSaleSheet, a, b, c, d, e, f, g, h, i, j, k, l, m, n, nullptr, name);
    return true;
  }
  bool WriteRefund(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                   std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h,
                   std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint8_t l,
                   std::uint8_t m, std::uint8_t n, const char* refund, const char* name) override {
    Sales(z917::excel_writer::kRefundSheet, a, b, c, d, e, f, g, h, i, j, k, l, m, n, refund, name);
    return true;
  }
  bool WriteAnnulSale(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                      std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h,
                      std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint8_t l,
                      std::uint8_t m, std::uint8_t n, const char* name) override {
    Sales(z917::excel_writer::kAnnulSaleSheet, a, b, c, d, e, f, g, h, i, j, k, l, m, n, nullptr,
          name);
    return true;
  }
  bool WriteAnnulRefund(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                        std::uint32_t e, std::uint8_t f, std::int64_t g, std::uint32_t h,
                        std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint8_t l,
                        std::uint8_t m, std::uint8_t n, const char* refund,
                        const char* name) override {
    Sales(z917::excel_writer::kAnnulRefundSheet, a, b, c, d, e, f, g, h, i, j, k, l, m, n, refund,
          name);
    return true;
  }
  bool WriteCashIn(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                   std::uint32_t e, std::uint32_t sum, std::uint32_t avail,
                   const char* name) override {
    Cash(z917::journal::CashInText, a, b, c, d, e, sum, avail, name);
    return true;
  }
  bool WriteCashOut(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                    std::uint32_t e, std::uint32_t sum, std::uint32_t avail,
                    const char* name) override {
    Cash(z917::journal::CashOutText, a, b, c, d, e, sum, avail, name);
    return true;
  }
  bool WriteReceipt(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                    std::uint32_t e, std::int64_t prov, std::int64_t code, std::uint32_t batch,
                    std::uint32_t avail, std::uint32_t price, const char* name) override {
    Goods(z917::excel_writer::kReceiptSheet, a, b, c, d, e, prov, code, batch, avail, price, name);
    return true;
  }
  bool WriteReturn(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                   std::uint32_t e, std::int64_t prov, std::int64_t code, std::uint32_t batch,
                   std::uint32_t avail, std::uint32_t price, const char* name) override {
    Goods(z917::excel_writer::kReturnSheet, a, b, c, d, e, prov, code, batch, avail, price, name);
    return true;
  }
  bool WriteCheckSumSale(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
                         std::uint32_t e, std::int64_t total, std::uint32_t s1, std::uint32_t s2,
                         std::uint32_t s3, std::uint32_t s4, std::uint32_t s5, std::uint32_t s6,
                         std::uint32_t s7) override {
    Sums(z917::excel_writer::kCheckSumSaleSheet, a, b, c, d, e, total,
         {s1, s2, s3, s4, s5, s6, s7});
    return true;
  }
  bool WriteCheckSumRefund(std::uint32_t, std::uint16_t a, std::uint16_t b, std::uint8_t c,
                           double d, std::uint32_t e, std::int64_t total, std::uint32_t s1,
                           std::uint32_t s2, std::uint32_t s3, std::uint32_t s4, std::uint32_t s5,
                           std::uint32_t s6, std::uint32_t s7) override {
    Sums(z917::excel_writer::kCheckSumRefundSheet, a, b, c, d, e, total,
         {s1, s2, s3, s4, s5, s6, s7});
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
        std::string(z917::journal::TaxGroupNames[l]), std::string(z917::journal::WFlagNames[m]),
        std::string(z917::journal::XFlagNames[n]));
    if (refund) row.emplace_back(z917::journal::Cp1251ToUtf8(refund));
    row.emplace_back(z917::journal::Cp1251ToUtf8(name));
    sheets[sheet].push_back(std::move(row));
  }
  void Cash(const char* word, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
            std::uint32_t e, std::uint32_t sum, std::uint32_t avail, const char* name) {
    Row row = Head(a, b, c, d, e);
    Add(row, std::string(word), sum / 100.0, avail / 100.0, z917::journal::Cp1251ToUtf8(name));
    sheets[z917::excel_writer::kCashSheet].push_back(std::move(row));
  }
  void Goods(std::size_t sheet, std::uint16_t a, std::uint16_t b, std::uint8_t c, double d,
             std::uint32_t e, std::int64_t prov, std::int64_t code, std::uint32_t batch,
             std::uint32_t avail, std::uint32_t price, const char* name) {
    Row row = Head(a, b, c, d, e);
    Add(row, double(prov), double(code), double(batch), avail / 1000.0);
    row.emplace_back(price == 0xFFFFFFFFu ? Cell(std::string("-")) : Cell(price / 100.0));
    row.emplace_back(z917::journal::Cp1251ToUtf8(name));
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
  z917::driver::ConversionDriver driver({cells, cells}, messages);
  if (!driver.ConvertJournal(journal, out, z917::OutputKind::Excel)) return 1;

  // Only the writing counts: from here to the closed workbook.
  const double collectCpu = SelfCpuSeconds();
  const auto start = Clock::now();
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* book = workbook_new_opt(out.c_str(), &options);
  lxw_format* date = workbook_add_format(book);
  format_set_num_format_index(date, 22);
  const char* kFormats[] = {z917::excel_writer::kCounterFormat, z917::excel_writer::kQuantityFormat,
                            z917::excel_writer::kMoneyFormat, z917::excel_writer::kTextFormat};
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
  const auto& layout = z917::excel_writer::WorkbookLayout();
  for (std::size_t s = 0; s < z917::excel_writer::kSheetCount; ++s) {
    lxw_worksheet* sheet = workbook_add_worksheet(book, layout[s].name);
    const auto& columns = layout[s].columns;
    // A column a Z-report: a few percent of the cells at most, left out.
    if (s == z917::excel_writer::kZReportSheet) continue;
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
  const double writeWall = Seconds(start);
  const double writeCpu = SelfCpuSeconds() - collectCpu;
  Report(out, {double(TotalEntries(driver.Counters())), writeCpu, writeWall, collectCpu});
  return ok ? 0 : 1;
}

// --- the comparison ---

struct Run {
  double wall = 0;
  double cpu = 0;
  double peakBytes = 0;
  double fileBytes = 0;
  Reported reported;
};

Run RunChild(const char* kind, const std::string& journal, const std::string& out) {
  const bench::ChildRun child =
      bench::RunSelfInChild("bench_excel_conversion", {kind, journal, out});
  Run run;
  run.wall = child.seconds;
  run.cpu = CpuSeconds(child.usage);
  run.peakBytes = child.usage.ru_maxrss * 1024.0;
  run.fileBytes = static_cast<double>(fs::file_size(out));
  run.reported = ReadReport(out);
  fs::remove(out);
  return run;
}

// Each figure's median over the rounds, on its own.
Run MedianOf(const std::vector<Run>& runs) {
  auto median = [&](auto field) {
    std::vector<double> values;
    for (const Run& run : runs) values.push_back(field(run));
    return Median(values);
  };
  Run m;
  m.wall = median([](const Run& r) { return r.wall; });
  m.cpu = median([](const Run& r) { return r.cpu; });
  m.peakBytes = median([](const Run& r) { return r.peakBytes; });
  m.fileBytes = median([](const Run& r) { return r.fileBytes; });
  m.reported.entries = median([](const Run& r) { return r.reported.entries; });
  m.reported.writeCpu = median([](const Run& r) { return r.reported.writeCpu; });
  m.reported.writeWall = median([](const Run& r) { return r.reported.writeWall; });
  m.reported.collectCpu = median([](const Run& r) { return r.reported.collectCpu; });
  return m;
}

void WriteJournal(const std::string& path, std::uint64_t packets) {
  std::ofstream file(path, std::ios::binary);
  z917::journal::GenerateSyntheticJournal({packets, kSeed}, [&](std::string_view p) {
    file.write(p.data(), static_cast<std::streamsize>(p.size()));
  });
}

double OneMinuteLoad() {
  double load[1] = {0};
  return ::getloadavg(load, 1) == 1 ? load[0] : -1;
}

void PrintRow(const char* label, double wall, double cpu, double entries, double peakBytes,
              double fileBytes) {
  std::printf("%-40s %7.2f %7.2f %10.0f %8.1f MB %8.2f MB\n", label, wall, cpu, entries / wall,
              peakBytes / kMB, fileBytes / kMB);
}

const char* Verdict(bool within) { return within ? "within target" : "over target"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--run") {
    const std::string kind = argv[2];
    if (kind == "xlsx") return RunConvert(argv[3], argv[4], z917::OutputKind::Excel);
    if (kind == "xml") return RunConvert(argv[3], argv[4], z917::OutputKind::Xml);
    if (kind == "floor") return RunFloor(argv[3], argv[4]);
    return 2;
  }
  const fs::path build = argc > 1 ? argv[1] : ".";
  const std::uint64_t packets = argc > 2 ? std::stoull(argv[2]) : 200000;
  const std::uint64_t doubled = 2 * packets;
  // Of this run alone: another run of the same build must not take its files.
  const fs::path dir =
      build / "bench" / ("bench_excel_conversion.out." + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string journal = (dir / "journal.bin").string();
  const std::string doubledJournal = (dir / "journal-doubled.bin").string();
  WriteJournal(journal, packets);
  WriteJournal(doubledJournal, doubled);

  const double loadBefore = OneMinuteLoad();
  // Alternating rounds, so that other work on the machine falls on all
  // kinds alike. The parent holds nothing large, so each child's peak is
  // its own.
  std::vector<Run> xlsx, xml, floor, xlsxDoubled;
  for (int round = 0; round < kRounds; ++round) {
    floor.push_back(RunChild("floor", journal, (dir / "floor.xlsx").string()));
    xlsx.push_back(RunChild("xlsx", journal, (dir / "out.xlsx").string()));
    xml.push_back(RunChild("xml", journal, (dir / "out.xml").string()));
    xlsxDoubled.push_back(RunChild("xlsx", doubledJournal, (dir / "doubled.xlsx").string()));
  }
  const double loadAfter = OneMinuteLoad();
  const Run x = MedianOf(xlsx);
  const Run m = MedianOf(xml);
  const Run f = MedianOf(floor);
  const Run d = MedianOf(xlsxDoubled);
  const double entries = x.reported.entries;

  std::printf(
      "%llu-packet journal (seed %llu): %.0f entries; medians of %d alternating rounds; "
      "load %.2f before, %.2f after\n",
      static_cast<unsigned long long>(packets), static_cast<unsigned long long>(kSeed), entries,
      kRounds, loadBefore, loadAfter);
  std::printf("%-40s %7s %7s %10s %11s %11s\n", "", "wall s", "CPU s", "entries/s", "peak RSS",
              "file");
  PrintRow("journal -> .xlsx (z917conv's path)", x.wall, x.cpu, entries, x.peakBytes, x.fileBytes);
  PrintRow("journal -> XML", m.wall, m.cpu, m.reported.entries, m.peakBytes, m.fileBytes);
  PrintRow("libxlsxwriter alone, same cells (floor)", f.reported.writeWall, f.reported.writeCpu,
           entries, f.peakBytes, f.fileBytes);
  std::printf(
      "    the floor's figures are its writing alone: its collecting of the cells (%.2f s CPU,\n"
      "    read by getrusage before the first cell) is left out; its peak RSS holds the cells\n",
      f.reported.collectCpu);
  const std::string doubledLabel = "journal -> .xlsx, " + std::to_string(doubled) + " packets";
  PrintRow(doubledLabel.c_str(), d.wall, d.cpu, d.reported.entries, d.peakBytes, d.fileBytes);

  const double cpuShare = x.cpu / f.reported.writeCpu;
  const double wallTimes = x.wall / m.wall;
  const double rssGrowth = d.peakBytes - x.peakBytes;
  const double fileGrowth = d.fileBytes - x.fileBytes;
  std::printf("target 1, .xlsx CPU / floor CPU: %.2f (%.2f s / %.2f s), target <= 1/3: %s\n",
              cpuShare, x.cpu, f.reported.writeCpu, Verdict(cpuShare <= kCpuShareOfFloor));
  std::printf("target 2, .xlsx wall / XML wall: %.2f (%.2f s / %.2f s), target <= %.0f: %s\n",
              wallTimes, x.wall, m.wall, kWallTimesXml, Verdict(wallTimes <= kWallTimesXml));
  std::printf("target 3, .xlsx peak RSS: %.1f MB (%.1f MiB), target <= %.0f MB: %s\n",
              x.peakBytes / kMB, x.peakBytes / 1048576, kPeakMB,
              Verdict(x.peakBytes <= kPeakMB * kMB));
  std::printf(
      "target 3, peak RSS growth %llu -> %llu packets: %+.1f MB against the .xlsx's %+.1f MB, "
      "target: no more: %s\n",
      static_cast<unsigned long long>(packets), static_cast<unsigned long long>(doubled),
      rssGrowth / kMB, fileGrowth / kMB, Verdict(rssGrowth <= fileGrowth));
  fs::remove_all(dir);
  return 0;
}
