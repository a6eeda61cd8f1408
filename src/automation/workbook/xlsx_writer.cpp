#include "automation/workbook/xlsx_writer.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "automation/automation_error.h"
#include "automation/workbook/cell_address.h"
#include "platform/cancellation.h"
#include "platform/stderr_capture.h"
#include "platform/system_reason.h"

namespace z917::workbook {

namespace {

using automation::AutomationError;

// Above this many bytes of sheet XML a part may pass the 4 GB a plain zip
// entry holds; a cell takes well under 64 bytes of XML.
constexpr std::uint64_t kZip64CellThreshold = (std::uint64_t{1} << 32) / 64;

// A stop asked for during a save is looked for after this many rows.
constexpr std::uint32_t kRowsBetweenStopChecks = 4096;

constexpr const char kWriteFailed[] = "Не удалось записать книгу";

// libxlsxwriter's reasons, in our words.
std::string LibraryReason(lxw_error error) {
  switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
      return platform::ReasonText(platform::SystemReasonKind::kNoMemory, 0);
    case LXW_ERROR_CREATING_XLSX_FILE:
      return "не удалось создать файл";
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
      return "не удалось записать или прочитать рабочий файл в папке книги";
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
      return "не удалось записать сжатые части книги";
    case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED:
    case LXW_ERROR_INVALID_SHEETNAME_CHARACTER:
    case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE:
    case LXW_ERROR_SHEETNAME_ALREADY_USED:
      return "недопустимое имя листа";
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
      return "текст длиннее 32767 знаков";
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
      return "ячейка за пределами листа";
    default:
      return "внутренняя ошибка записи .xlsx (код " + std::to_string(static_cast<int>(error)) + ")";
  }
}

// The reasons that only the making or writing of a file meets.
bool IsFileFailure(int systemError) {
  switch (systemError) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO:
    case EMFILE:
    case ENFILE:
    case EACCES:
    case EROFS:
      return true;
    default:
      return false;
  }
}

// The library reports a failed file only by a code; the system's reason,
// where it is a file's, says more.
std::string ReasonFor(lxw_error error, int systemError) {
  return IsFileFailure(systemError) ? platform::SystemReason(systemError) : LibraryReason(error);
}

[[noreturn]] void ThrowLibraryError(const std::string& what, lxw_error error, int systemError = 0) {
  throw AutomationError(what + ": " + ReasonFor(error, systemError));
}

struct WorkbookDeleter {
  void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};
using WorkbookHandle = std::unique_ptr<lxw_workbook, WorkbookDeleter>;

void CloseRowScratch(lxw_worksheet* sheet) {
  if (sheet->optimize_tmpfile == nullptr) return;
  std::fclose(sheet->optimize_tmpfile);
  sheet->optimize_tmpfile = nullptr;
}

// The sheets added so far. The library closes a sheet's row scratch file
// only when it copies the rows into the workbook: not for a sheet without
// rows, nor when the workbook is freed without being closed. A process
// that saves again and again would run out of descriptors, so those are
// closed here.
class SheetScratch {
 public:
  SheetScratch() = default;
  ~SheetScratch() {
    if (handedOver_) return;
    for (lxw_worksheet* sheet : sheets_) CloseRowScratch(sheet);
  }
  SheetScratch(const SheetScratch&) = delete;
  SheetScratch& operator=(const SheetScratch&) = delete;

  void Add(lxw_worksheet* sheet) { sheets_.push_back(sheet); }
  const std::vector<lxw_worksheet*>& Sheets() const { return sheets_; }
  // Before the workbook's close: the scratch files of sheets with rows are
  // the library's from now on; those of empty sheets it would never close.
  void HandOver() {
    handedOver_ = true;
    for (lxw_worksheet* sheet : sheets_) {
      if (sheet->dim_rowmin == LXW_ROW_MAX) CloseRowScratch(sheet);
    }
  }

 private:
  std::vector<lxw_worksheet*> sheets_;
  bool handedOver_ = false;
};

std::uint64_t CellCount(const WorkbookModel& workbook) {
  std::uint64_t count = 0;
  for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
    for (const RowView row : workbook.SheetAt(s).Rows()) count += row.cells.size();
  }
  return count;
}

std::vector<lxw_format*> AddFormats(lxw_workbook* out, const NumberFormats& formats) {
  std::vector<lxw_format*> added(formats.Count());
  for (std::size_t id = 0; id < formats.Count(); ++id) {
    const NumberFormat& format = formats.At(static_cast<FormatId>(id));
    added[id] = workbook_add_format(out);
    if (!added[id]) ThrowLibraryError(kWriteFailed, LXW_ERROR_MEMORY_MALLOC_FAILED);
    if (format.builtinIndex >= 0) {
      format_set_num_format_index(added[id], static_cast<std::uint8_t>(format.builtinIndex));
    } else {
      format_set_num_format(added[id], format.code.c_str());
    }
  }
  return added;
}

void WriteColumns(lxw_worksheet* out, const Sheet& sheet, const std::vector<lxw_format*>& formats) {
  const auto columns = sheet.Columns();
  for (std::size_t first = 0; first < columns.size();) {
    const ColumnInfo& info = columns[first];
    std::size_t last = first;
    // Neighbours with equal settings share one <col> element.
    while (last + 1 < columns.size() && columns[last + 1].format == info.format &&
           (columns[last + 1].width == info.width ||
            (!columns[last + 1].HasWidth() && !info.HasWidth()))) {
      ++last;
    }
    if (info.HasWidth() || info.format != kNoFormat) {
      const lxw_error error =
          worksheet_set_column(out, static_cast<lxw_col_t>(first), static_cast<lxw_col_t>(last),
                               info.HasWidth() ? info.width : LXW_DEF_COL_WIDTH,
                               info.format == kNoFormat ? nullptr : formats[info.format]);
      if (error)
        ThrowLibraryError("Не удалось записать столбцы листа «" + sheet.Name() + "»", error);
    }
    first = last + 1;
  }
}

void WriteCell(lxw_worksheet* out, const Sheet& sheet, const TextPool& texts,
               const std::vector<lxw_format*>& formats, std::uint32_t rowNumber, const Cell& cell) {
  const lxw_row_t row = rowNumber - 1;
  const lxw_col_t column = static_cast<lxw_col_t>(cell.Column() - 1);
  lxw_format* format = formats[cell.Format()];
  lxw_error error = LXW_NO_ERROR;
  switch (cell.Kind()) {
    case CellKind::Number:
      error = worksheet_write_number(out, row, column, cell.Number(), format);
      break;
    case CellKind::Text:
      error = worksheet_write_string(out, row, column, texts.CText(cell.Text()), format);
      break;
    case CellKind::Boolean:
      error = worksheet_write_boolean(out, row, column, cell.Boolean() ? 1 : 0, format);
      break;
    case CellKind::Blank:
      error = worksheet_write_blank(out, row, column, format);
      break;
  }
  if (error) {
    ThrowLibraryError("Не удалось записать ячейку " + ColumnLetters(cell.Column()) +
                          std::to_string(rowNumber) + " листа «" + sheet.Name() + "»",
                      error);
  }
}

void WriteSheet(lxw_workbook* book, const Sheet& sheet, const TextPool& texts,
                const std::vector<lxw_format*>& formats, bool active, SheetScratch& scratch) {
  errno = 0;
  lxw_worksheet* out = workbook_add_worksheet(book, sheet.Name().c_str());
  if (!out) {
    // The engine checked the name already: the sheet's scratch file failed.
    ThrowLibraryError("Не удалось добавить лист «" + sheet.Name() + "»", LXW_ERROR_CREATING_TMPFILE,
                      errno);
  }
  scratch.Add(out);
  if (active) worksheet_activate(out);
  WriteColumns(out, sheet, formats);
  // Constant-memory mode writes a row out when the next one starts, so
  // rows go in ascending order and each row's format before its cells.
  std::uint32_t rowsSinceCheck = 0;
  for (const RowView row : sheet.Rows()) {
    if (++rowsSinceCheck == kRowsBetweenStopChecks) {
      rowsSinceCheck = 0;
      if (platform::Cancellation::Requested()) throw platform::FileCancelled();
    }
    if (row.format != kNoFormat) {
      const lxw_error error =
          worksheet_set_row(out, row.number - 1, LXW_DEF_ROW_HEIGHT, formats[row.format]);
      if (error) {
        ThrowLibraryError("Не удалось записать строку " + std::to_string(row.number) + " листа «" +
                              sheet.Name() + "»",
                          error);
      }
    }
    for (const Cell& cell : row.cells) WriteCell(out, sheet, texts, formats, row.number, cell);
  }
}

// The library does not check its writes of a sheet's rows to their
// scratch file: a full disk would give a workbook whose sheets are cut
// short, reported as saved. The stream keeps the failure; ask it.
void CheckRowScratch(lxw_worksheet* sheet) {
  std::FILE* scratch = sheet->optimize_tmpfile;
  if (scratch == nullptr) return;
  errno = 0;
  const bool flushed = std::fflush(scratch) == 0;
  if (flushed && !std::ferror(scratch)) return;
  ThrowLibraryError(kWriteFailed, LXW_ERROR_READING_TMPFILE, flushed ? 0 : errno);
}

}  // namespace

bool CanWriteXlsx() { return true; }

void CheckFitsXlsx(const WorkbookModel&) {}  // no limits beyond the engine's own

void WriteXlsx(const WorkbookModel& workbook, platform::AtomicFile& file) {
  // Scratch files beside the book, on the disk that must hold it anyway.
  std::string scratch = std::filesystem::path(file.Target()).parent_path().string();
  if (scratch.empty()) scratch = ".";
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = scratch.data();
  options.use_zip64 = CellCount(workbook) > kZip64CellThreshold ? LXW_TRUE : LXW_FALSE;

  // Declared first, so it outlives the workbook and catches its last words.
  platform::StderrCapture libraryNoise;
  WorkbookHandle book(workbook_new_opt(file.OpenablePath().c_str(), &options));
  if (!book) ThrowLibraryError("Не удалось начать запись книги", LXW_ERROR_MEMORY_MALLOC_FAILED);
  const std::vector<lxw_format*> formats = AddFormats(book.get(), workbook.Formats());
  SheetScratch sheets;  // after `book`, so it goes first
  for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
    WriteSheet(book.get(), workbook.SheetAt(s), workbook.Texts(), formats,
               s == workbook.ActiveSheet(), sheets);
  }
  if (platform::Cancellation::Requested()) throw platform::FileCancelled();
  for (lxw_worksheet* sheet : sheets.Sheets()) CheckRowScratch(sheet);
  // workbook_close frees the workbook whether or not it succeeds.
  sheets.HandOver();
  const lxw_error error = workbook_close(book.release());
  if (error) ThrowLibraryError(kWriteFailed, error, errno);
}

}  // namespace z917::workbook
