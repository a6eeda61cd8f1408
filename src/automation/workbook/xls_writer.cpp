#include "automation/workbook/xls_writer.h"

#include <vector>

#include "automation/automation_error.h"
#include "automation/workbook/xls/compound_file.h"
#include "automation/workbook/xls/globals_writer.h"
#include "automation/workbook/xls/sheet_writer.h"
#include "automation/workbook/xls/styles.h"
#include "automation/workbook/xls/xls_limits.h"
#include "platform/save_progress.h"

namespace z917::workbook {

namespace {

using namespace xls;

// Sheet records gather in memory up to about this much before they go to
// the file.
constexpr std::size_t kDrainBytes = std::size_t{1} << 20;

// The used rows, which the save's progress counts, and the cells that go
// through the shared string table.
struct WorkbookCounts {
  std::uint64_t rows = 0;
  std::uint32_t texts = 0;
};

WorkbookCounts CountRowsAndTexts(const WorkbookModel& workbook) {
  WorkbookCounts counts;
  for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
    for (const RowView row : workbook.SheetAt(s).Rows()) {
      ++counts.rows;
      for (const Cell& cell : row.cells) counts.texts += cell.Kind() == CellKind::Text;
    }
  }
  return counts;
}

// The workbook stream inside the file: it starts after the header sector.
class StreamOut {
 public:
  explicit StreamOut(platform::AtomicFile& sink) : sink_(sink) {}

  std::uint64_t Position(const ByteBuffer& pending) const {
    return sink_.Size() - kSectorSize + pending.Size();
  }
  void Drain(ByteBuffer& pending) {
    if (Position(pending) > kMaxStreamSize) {
      throw automation::AutomationError(
          "Книга не помещается в файл Excel 97-2003: файл получился бы больше 2 ГБ");
    }
    sink_.Append(pending.View());
    pending.Clear();
  }

 private:
  platform::AtomicFile& sink_;
};

}  // namespace

void CheckFitsXls(const WorkbookModel& workbook) { CheckXlsLimits(workbook); }

void WriteXls(const WorkbookModel& workbook, platform::AtomicFile& sink) {
  const WorkbookCounts counts = CountRowsAndTexts(workbook);
  // One unit a row, and one more for the file's closing parts.
  const std::uint64_t units = counts.rows + 1;
  std::uint64_t rowsWritten = 0;
  platform::SaveProgress::Report(0, units);
  const XlsStyles styles(workbook.Formats());
  ByteBuffer globals;
  const std::vector<std::size_t> sheetOffsetFields =
      WriteGlobals(globals, workbook, styles, counts.texts);

  // The header goes in last, once the layout is known; the globals go
  // back in once the sheets' offsets are.
  sink.Append(std::vector<std::uint8_t>(kSectorSize));
  sink.Append(globals.View());
  StreamOut stream(sink);
  ByteBuffer pending;
  pending.Reserve(kDrainBytes + kDrainBytes / 4);
  const auto drain = [&](ByteBuffer& bytes, std::uint32_t rowsOfSheet) {
    stream.Drain(bytes);
    platform::SaveProgress::Report(rowsWritten + rowsOfSheet, units);
  };
  for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
    globals.PatchU32(sheetOffsetFields[s], static_cast<std::uint32_t>(stream.Position(pending)));
    rowsWritten +=
        WriteSheet(pending, workbook.SheetAt(s), s == workbook.ActiveSheet(), kDrainBytes, drain);
    platform::SaveProgress::Report(rowsWritten, units);
  }
  // A stream below the cutoff would belong in the mini stream: zeros
  // after the last EOF make it long enough, and readers ignore them.
  if (stream.Position(pending) < kMiniStreamCutoff) {
    pending.Zeros(kMiniStreamCutoff - stream.Position(pending));
  }
  const auto streamSize = static_cast<std::uint32_t>(stream.Position(pending));
  stream.Drain(pending);
  pending.Zeros((kSectorSize - streamSize % kSectorSize) % kSectorSize);

  const CompoundLayout layout = PlanCompoundFile(streamSize);
  AppendCompoundTail(pending, layout);
  sink.Append(pending.View());
  sink.WriteAt(kSectorSize, globals.View());
  ByteBuffer header;
  AppendCompoundHeader(header, layout);
  sink.WriteAt(0, header.View());
  platform::SaveProgress::Report(units, units);
}

}  // namespace z917::workbook
