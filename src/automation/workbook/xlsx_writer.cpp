// The .xlsx package, assembled in the order Excel writes its parts.
#include "automation/workbook/xlsx_writer.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "automation/workbook/xlsx/package_parts.h"
#include "automation/workbook/xlsx/piece_compressor.h"
#include "automation/workbook/xlsx/row_xml.h"
#include "automation/workbook/xlsx/streamed_rows.h"
#include "automation/workbook/xlsx/xml_text.h"
#include "automation/workbook/xlsx/zip_writer.h"
#include "platform/cancellation.h"
#include "platform/save_progress.h"

namespace z917::workbook {

namespace {

using namespace xlsx;

// Raw XML gathers up to about this much before it goes to the compressor
// as one piece: large enough that a piece costs nothing in compression,
// small enough that the few buffers in flight stay small.
constexpr std::size_t kPieceBytes = std::size_t{256} << 10;

// The moment the document carries: SOURCE_DATE_EPOCH, the convention of
// reproducible builds, when it holds a count of seconds; now otherwise.
std::int64_t SaveTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    std::int64_t seconds = 0;
    const char* end = epoch + std::strlen(epoch);
    const auto parsed = std::from_chars(epoch, end, seconds);
    if (parsed.ec == std::errc() && parsed.ptr == end && end != epoch && seconds >= 0) {
      return seconds;
    }
  }
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void ThrowIfStopped() {
  if (platform::Cancellation::Requested()) throw platform::FileCancelled();
}

// The save's progress in steps: one for each page of rows gathered and
// one for each written, plus one for the shared strings.
class SaveSteps {
 public:
  explicit SaveSteps(const WorkbookModel& workbook) {
    for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
      total_ += 2 * std::uint64_t{workbook.SheetAt(s).Rows().PageCount()};
    }
    total_ += 1;
    platform::SaveProgress::Report(0, total_);
  }
  void Advance(std::uint64_t steps) {
    done_ += steps;
    platform::SaveProgress::Report(done_, total_);
  }

 private:
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
};

// One zip entry's deflated data: pieces kept while writing and pieces made
// at the save, in the order of the part's text.
class EntryPieces {
 public:
  explicit EntryPieces(PieceCompressor& compressor) : compressor_(compressor) {}
  // A save that fails midway leaves pieces of this entry with the helper.
  ~EntryPieces() { compressor_.Settle(); }
  EntryPieces(const EntryPieces&) = delete;
  EntryPieces& operator=(const EntryPieces&) = delete;

  void AddKept(const DeflatedPiece& piece) {
    Submit();
    order_.push_back(&piece);
  }
  // The raw text to append to; it goes to the compressor when large.
  std::string& Raw() { return raw_; }
  void SubmitIfLarge() {
    if (raw_.size() >= kPieceBytes) Submit();
  }
  // Waits for the last pieces; `zip` then takes the entry whole.
  void Write(ZipWriter& zip, std::string_view name, SaveSteps& steps, std::uint64_t stepsAll) {
    Submit();
    compressor_.Finish();
    EntrySizes sizes;
    for (const DeflatedPiece* piece : order_) AddPiece(sizes, *piece);
    AddFinalBlock(sizes);
    zip.BeginEntry(name, sizes);
    std::uint64_t stepsDone = 0;
    for (std::size_t i = 0; i < order_.size(); ++i) {
      zip.Write(order_[i]->bytes);
      const std::uint64_t due = stepsAll * (i + 1) / order_.size();
      steps.Advance(due - stepsDone);
      stepsDone = due;
    }
    zip.Write(FinalBlock());
    zip.EndEntry();
  }

 private:
  void Submit() {
    if (raw_.empty()) return;
    DeflatedPiece* piece = &made_.emplace_back();
    order_.push_back(piece);
    compressor_.Submit(std::exchange(raw_, compressor_.TakeBuffer()), piece);
  }

  PieceCompressor& compressor_;
  std::string raw_;
  std::deque<DeflatedPiece> made_;  // a deque, so that pieces stay put
  std::vector<const DeflatedPiece*> order_;
};

// Writes one worksheet: its head, its rows page by page (kept pages as
// they are, the rest formatted now), its tail. Returns the text cells.
std::uint64_t WriteSheet(ZipWriter& zip, std::size_t index, const WorkbookModel& workbook,
                         const StreamedRows* kept, PieceCompressor& compressor, SaveSteps& steps) {
  const Sheet& sheet = workbook.SheetAt(index);
  EntryPieces entry(compressor);
  entry.Raw() = WorksheetHead(sheet, index == workbook.ActiveSheet());
  std::uint64_t texts = 0;
  const std::uint32_t pages = sheet.Rows().PageCount();
  for (std::uint32_t page = 0; page < pages; ++page) {
    ThrowIfStopped();
    if (const RowPiece* piece = kept ? kept->Find(sheet, page) : nullptr) {
      entry.AddKept(piece->deflated);
      texts += piece->texts;
    } else {
      // Row by row: one row can be wide (the Z-report sheet's, a column a
      // report), and a piece should stay small.
      const std::span<const Row> rows = sheet.Rows().Page(page);
      for (std::uint32_t i = 0; i < rows.size(); ++i) {
        texts += AppendRowXml(entry.Raw(), page * SheetCells::kPageRows + i + 1, rows[i]);
        entry.SubmitIfLarge();
      }
    }
    steps.Advance(1);
  }
  entry.Raw() += WorksheetTail();
  entry.Write(zip, WorksheetName(index), steps, pages);
  return texts;
}

void WriteSharedStrings(ZipWriter& zip, const TextPool& texts, std::uint64_t textCells,
                        PieceCompressor& compressor, SaveSteps& steps) {
  EntryPieces entry(compressor);
  entry.Raw() = SharedStringsHead(textCells, texts.Count());
  for (std::size_t id = 0; id < texts.Count(); ++id) {
    AppendSharedString(entry.Raw(), texts.Text(static_cast<TextId>(id)));
    if (entry.Raw().size() >= kPieceBytes) ThrowIfStopped();
    entry.SubmitIfLarge();
  }
  entry.Raw() += SharedStringsTail();
  entry.Write(zip, kSharedStringsName, steps, 1);
}

}  // namespace

std::unique_ptr<PassedRows> MakeXlsxRowKeeper() { return std::make_unique<StreamedRows>(); }

void CheckFitsXlsx(WorkbookModel&) {}

void WriteXlsx(WorkbookModel& workbook, platform::AtomicFile& file) {
  auto* kept = dynamic_cast<StreamedRows*>(workbook.Passed());
  if (kept) kept->Finish();
  SaveSteps steps(workbook);
  PieceCompressor compressor;
  Deflater deflater;
  const std::size_t sheets = workbook.SheetCount();
  const bool hasTexts = workbook.Texts().Count() > 0;

  const std::int64_t time = SaveTime();
  ZipWriter zip(file, time);
  zip.AddWhole(kContentTypesName, ContentTypesPart(sheets, hasTexts), deflater);
  zip.AddWhole(kRootRelationshipsName, RootRelationshipsPart(), deflater);
  zip.AddWhole(kAppPropertiesName, AppPropertiesPart(workbook), deflater);
  zip.AddWhole(kCorePropertiesName, CorePropertiesPart(time), deflater);
  zip.AddWhole(kWorkbookName, WorkbookPart(workbook), deflater);
  zip.AddWhole(kWorkbookRelationshipsName, WorkbookRelationshipsPart(sheets, hasTexts), deflater);
  zip.AddWhole(kStylesName, StylesPart(workbook.Formats()), deflater);
  std::uint64_t textCells = 0;
  for (std::size_t s = 0; s < sheets; ++s) {
    textCells += WriteSheet(zip, s, workbook, kept, compressor, steps);
  }
  if (hasTexts) WriteSharedStrings(zip, workbook.Texts(), textCells, compressor, steps);
  zip.Finish();
}

}  // namespace z917::workbook
