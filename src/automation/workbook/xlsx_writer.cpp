#include "automation/workbook/xlsx_writer.h"

#include <xlsxwriter.h>

#include <memory>
#include <vector>

#include "automation/automation_error.h"
#include "automation/workbook/cell_address.h"

namespace z917::workbook {

namespace {

using automation::AutomationError;

// Above this many bytes of sheet XML a part may pass the 4 GB a plain zip
// entry holds; a cell takes well under 64 bytes of XML.
constexpr std::uint64_t kZip64CellThreshold = (std::uint64_t{1} << 32) / 64;

constexpr const char kWriteFailed[] = "Не удалось записать книгу";

[[noreturn]] void ThrowLibraryError(const std::string& what, lxw_error error) {
  throw AutomationError(what + ": " + lxw_strerror(error));
}

struct WorkbookDeleter {
  void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};
using WorkbookHandle = std::unique_ptr<lxw_workbook, WorkbookDeleter>;

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
      const lxw_error error = worksheet_set_column(
          out, static_cast<lxw_col_t>(first), static_cast<lxw_col_t>(last),
          info.HasWidth() ? info.width : LXW_DEF_COL_WIDTH,
          info.format == kNoFormat ? nullptr : formats[info.format]);
      if (error) ThrowLibraryError("Не удалось записать столбцы листа «" + sheet.Name() + "»", error);
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
                const std::vector<lxw_format*>& formats, bool active) {
  lxw_worksheet* out = workbook_add_worksheet(book, sheet.Name().c_str());
  if (!out) {
    ThrowLibraryError("Не удалось добавить лист «" + sheet.Name() + "»",
                      LXW_ERROR_PARAMETER_VALIDATION);
  }
  if (active) worksheet_activate(out);
  WriteColumns(out, sheet, formats);
  // Constant-memory mode writes a row out when the next one starts, so
  // rows go in ascending order and each row's format before its cells.
  for (const RowView row : sheet.Rows()) {
    if (row.format != kNoFormat) {
      const lxw_error error =
          worksheet_set_row(out, row.number - 1, LXW_DEF_ROW_HEIGHT, formats[row.format]);
      if (error) {
        ThrowLibraryError("Не удалось записать строку " + std::to_string(row.number) +
                              " листа «" + sheet.Name() + "»",
                          error);
      }
    }
    for (const Cell& cell : row.cells) WriteCell(out, sheet, texts, formats, row.number, cell);
  }
}

}  // namespace

bool CanWriteXlsx() { return true; }

void CheckFitsXlsx(const WorkbookModel&) {}  // no limits beyond the engine's own

void WriteXlsx(const WorkbookModel& workbook, const std::string& path,
               const std::string& scratchFolder) {
  std::string scratch = scratchFolder;
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = scratch.data();
  options.use_zip64 = CellCount(workbook) > kZip64CellThreshold ? LXW_TRUE : LXW_FALSE;

  WorkbookHandle book(workbook_new_opt(path.c_str(), &options));
  if (!book) ThrowLibraryError("Не удалось начать запись книги", LXW_ERROR_MEMORY_MALLOC_FAILED);
  const std::vector<lxw_format*> formats = AddFormats(book.get(), workbook.Formats());
  for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
    WriteSheet(book.get(), workbook.SheetAt(s), workbook.Texts(), formats,
               s == workbook.ActiveSheet());
  }
  // workbook_close frees the workbook whether or not it succeeds.
  const lxw_error error = workbook_close(book.release());
  if (error) ThrowLibraryError(kWriteFailed, error);
}

}  // namespace z917::workbook
