// A damaged or very long journal of nothing but Z-reports, converted to
// .xlsx and .xls the way z917conv does: every Z-report is kept in memory
// until the save lays the earlier ones out beside the last, so the cost
// must stop growing once the widest sheet is full (16,383 reports).
// Each run is a fresh process, so that its peak memory is its own.
//
//   bench_z_reports BUILD_DIR
//   bench_z_reports --run convert JOURNAL OUT   (internal)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "automation/server_factory.h"
#include "child_run.h"
#include "driver/conversion_driver.h"
#include "excel_writer/excel_book_writer.h"
#include "journal/journal_encoder.h"

namespace {

namespace fs = std::filesystem;

class QuietMessages : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind kind, const std::string& text) override {
    if (kind == z917::MessageKind::Error) std::fprintf(stderr, "%s\n", text.c_str());
  }
};

int RunConvert(const std::string& journal, const std::string& out) {
  QuietMessages messages;
  z917::excel_writer::ExcelBookWriter excel(z917::automation::StartServer, messages);
  z917::driver::ConversionDriver driver({excel, excel}, messages);
  return driver.ConvertJournal(journal, out, z917::OutputKind::Excel) ? 0 : 1;
}

// `count` Z-reports, each of its own shift.
void WriteJournal(const std::string& path, std::uint32_t count) {
  z917::journal::ZReportFields fields;
  fields.CheckSaleCnt = 120;
  for (std::uint32_t& part : fields.SaleParts) part = 1234567;
  fields.CashierName = "Cashier";
  const std::string body = z917::journal::EncodeZReportBody(fields);
  std::ofstream file(path, std::ios::binary);
  for (std::uint32_t i = 0; i < count; ++i) {
    const z917::journal::PacketStamp stamp{static_cast<std::uint16_t>(i), 1, 1, 86400 * (i % 5000),
                                           i};
    file << z917::journal::EncodePacket(z917::journal::PacketType::ZReport, stamp, body);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--run") return RunConvert(argv[3], argv[4]);
  const fs::path build = argc > 1 ? argv[1] : ".";
  const fs::path dir = build / "bench" / "bench_z_reports.out";
  fs::create_directories(dir);
  std::printf("%-10s %-6s %8s %12s\n", "Z-reports", "format", "seconds", "peak RSS MiB");
  for (const std::uint32_t count : {1000u, 16383u, 100000u, 1000000u}) {
    const std::string journal = (dir / "journal.bin").string();
    WriteJournal(journal, count);
    for (const char* format : {"xlsx", "xls"}) {
      const std::string out = (dir / (std::string("out.") + format)).string();
      const bench::ChildRun run =
          bench::RunSelfInChild("bench_z_reports", {"convert", journal, out});
      std::printf("%-10u %-6s %8.2f %12.1f\n", count, format, run.seconds,
                  static_cast<double>(run.usage.ru_maxrss) / 1024.0);
    }
  }
  std::printf(
      "target: from 16,383 Z-reports on, peak memory flat and time linear in the "
      "journal's size\n");
  fs::remove_all(dir);
  return 0;
}
