// Converts synthetic journals of two sizes to XML the way z917conv does
// (driver and XML writer) and shows that speed holds and memory stays flat.
// Then compares two ways of making the entry elements on the same 1,000,000
// sale entries: the writer's hand-written serialisation and a pugixml DOM
// of one entry at a time serialised into a buffered file. Every measured
// run is a fresh process, so that its peak memory is its own.
//
//   bench_xml_conversion BUILD_DIR [PACKETS...]      (default 1000000 3000000)
//   bench_xml_conversion --run convert|hand|pugi IN OUT   (internal)
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "child_run.h"
#include "driver/conversion_driver.h"
#include "journal/entry_texts.h"
#include "journal/synthetic_journal.h"
#include "platform/atomic_file.h"
#include "xml/xml_journal_writer.h"
#include "xml/xml_output.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kLayerEntries = 1'000'000;
const z917::xml::RegionalSettings kSettings{",", "%d.%m.%Y", "%-H:%M:%S"};

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

void ReportEntries(const std::string& out, std::uint64_t entries) {
  std::ofstream(out + ".entries") << entries;
}

// --- the runs, each in its own process ---

int RunConvert(const std::string& journal, const std::string& out) {
  QuietMessages messages;
  z917::xml::XmlJournalWriter xml(messages, kSettings);
  z917::driver::ConversionDriver driver({xml, xml}, messages);
  if (!driver.ConvertJournal(journal, out, z917::OutputKind::Xml)) return 1;
  ReportEntries(out, TotalEntries(driver.Counters()));
  return 0;
}

// The values of the i-th sale entry of the layer comparison.
struct SaleValues {
  std::uint32_t n;
  z917::TDateTime when() const { return 41520.0 + n / 86400.0 / 4; }
  std::uint32_t price() const { return 100 + n % 9000; }
  const char* name() const {
    return n % 2 ? "\xCC\xEE\xEB\xEE\xEA\xEE 2,5%" : "\xC3\xF0\xE5\xF7\xEA\xE0";
  }
};

int RunHand(const std::string& out) {
  QuietMessages messages;
  z917::xml::XmlJournalWriter xml(messages, kSettings);
  if (!xml.CreateXmlDocument(out)) return 1;
  for (std::uint32_t n = 0; n < kLayerEntries; ++n) {
    const SaleValues v{n};
    if (!xml.WriteSale(n + 1, 7, static_cast<std::uint16_t>(n / 3), 2, v.when(), n + 10, 0,
                       1000 + n % 50, 1, 1500, v.price(), v.price() * 3 / 2, n % 8, n % 2, n % 4,
                       v.name())) {
      return 1;
    }
  }
  if (!xml.SaveXmlDocument(out)) return 1;
  ReportEntries(out, kLayerEntries);
  return 0;
}

// pugixml writes through this into the same kind of output file, in
// batches of the writer's size.
class SpoolWriter : public pugi::xml_writer {
 public:
  explicit SpoolWriter(z917::platform::AtomicFile& spool) : spool_(spool) {}
  ~SpoolWriter() override { spool_.Append(batch_); }
  void write(const void* data, size_t size) override {
    batch_.append(static_cast<const char*>(data), size);
    if (batch_.size() >= (1 << 18)) {
      spool_.Append(batch_);
      batch_.clear();
    }
  }

 private:
  z917::platform::AtomicFile& spool_;
  std::string batch_;
};

int RunPugi(const std::string& out) {
  z917::platform::AtomicFile spool(out, true);
  spool.Append("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Z917_Journal>");
  {
    SpoolWriter writer(spool);
    z917::xml::DateTimeTexts dates(kSettings);
    pugi::xml_document entry;
    // Values get the same text forms; the DOM escapes names itself on output.
    z917::xml::XmlOutput text;
    auto field = [&](pugi::xml_node parent, const char* name) {
      parent.append_child(name).text().set(text.View().data(), text.Size());
      text.Truncate(0);
    };
    auto word = [&](pugi::xml_node parent, const char* name, const char* value) {
      parent.append_child(name).text().set(value);
    };
    for (std::uint32_t n = 0; n < kLayerEntries; ++n) {
      const SaleValues v{n};
      entry.reset();
      pugi::xml_node sale = entry.append_child("Sale");
      text.Unsigned(n + 1), field(sale, "Num");
      text.Unsigned(7), field(sale, "SmenaNum");
      text.Unsigned(n / 3 % 65536), field(sale, "CheckNum");
      text.Unsigned(2), field(sale, "CasherNum");
      dates.Append(text, v.when()), field(sale, "DateTime");
      text.Unsigned(n + 10), field(sale, "PacketNum");
      text.Unsigned(0), field(sale, "AnnulFlag");
      text.Signed(1000 + n % 50), field(sale, "Code");
      text.Unsigned(1), field(sale, "Batch");
      text.FixedPoint(1500, 3, 3, ","), field(sale, "Avail");
      text.FixedPoint(v.price(), 2, 3, ","), field(sale, "Price");
      text.FixedPoint(v.price() * 3 / 2, 2, 3, ","), field(sale, "Total");
      word(sale, "TaxGroup", z917::journal::TaxGroupNames[n % 8]);
      word(sale, "WFlag", z917::journal::WFlagNames[n % 2]);
      word(sale, "XFlag", z917::journal::XFlagNames[n % 4]);
      word(sale, "GoodName", v.n % 2 ? "Молоко 2,5%" : "Гречка");
      entry.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    }
  }
  spool.Append("</Z917_Journal>\n");
  spool.Commit();
  ReportEntries(out, kLayerEntries);
  return 0;
}

// --- the parent: runs, measures, prints ---

struct Result {
  std::uint64_t entries = 0;
  double wall = 0;
  double cpu = 0;
  double user = 0;
  long peakKiB = 0;
  std::uintmax_t bytes = 0;
};

Result Measure(const char* kind, const std::string& in, const std::string& out) {
  const bench::ChildRun run = bench::RunSelfInChild("bench_xml_conversion", {kind, in, out});
  const rusage& usage = run.usage;
  Result r;
  r.wall = run.seconds;
  r.cpu = bench::CpuSeconds(usage);
  r.user = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6;
  r.peakKiB = usage.ru_maxrss;
  std::ifstream(out + ".entries") >> r.entries;
  r.bytes = fs::file_size(out);
  fs::remove(out + ".entries");
  fs::remove(out);
  return r;
}

void Print(const char* what, const Result& r) {
  std::printf("%s: %.0f entries, %.0f MiB of XML\n", what, double(r.entries), r.bytes / 1048576.0);
  std::printf("    %.2f s wall, %.2f s CPU (%.2f user + %.2f system)\n", r.wall, r.cpu, r.user,
              r.cpu - r.user);
  std::printf(
      "    %.0f entries/s CPU, %.0f entries/s user, %.0f entries/s wall, peak RSS %.1f MiB\n",
      r.entries / r.cpu, r.entries / r.user, r.entries / r.wall, r.peakKiB / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--run") {
    const std::string kind = argv[2];
    if (kind == "convert") return RunConvert(argv[3], argv[4]);
    if (kind == "hand") return RunHand(argv[4]);
    if (kind == "pugi") return RunPugi(argv[4]);
    return 2;
  }
  if (argc < 2) {
    std::fprintf(stderr, "Usage: bench_xml_conversion BUILD_DIR [PACKETS...]\n");
    return 2;
  }
  std::vector<std::uint64_t> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(std::strtoull(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {1'000'000, 3'000'000};

  const fs::path work = fs::path(argv[1]) / "bench-xml";
  fs::create_directories(work);
  const std::string out = (work / "out.xml").string();
  for (const std::uint64_t packets : sizes) {
    const std::string journal = (work / "journal.bin").string();
    {
      std::ofstream file(journal, std::ios::binary);
      z917::journal::GenerateSyntheticJournal({packets, 1}, [&](std::string_view p) {
        file.write(p.data(), static_cast<std::streamsize>(p.size()));
      });
    }
    const std::string label = std::to_string(packets) + " packets -> XML";
    Print(label.c_str(), Measure("convert", journal, out));
    fs::remove(journal);
  }
  std::printf("entry layer, %u sale entries:\n", kLayerEntries);
  Print("  hand-written serialisation", Measure("hand", "-", out));
  Print("  pugixml DOM of one entry", Measure("pugi", "-", out));
  fs::remove_all(work);
  return 0;
}
