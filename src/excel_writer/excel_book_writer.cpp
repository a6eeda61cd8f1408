// The workbook's life: laid out, saved, closed; and Excel's version.
#include "excel_writer/excel_book_writer.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "automation/automation_error.h"
#include "automation/cell_address.h"
#include "automation/xls_sheet_limits.h"
#include "common/ascii.h"
#include "excel_writer/row_transport.h"
#include "platform/cancellation.h"

namespace z917::excel_writer {

using automation::AutomationError;
using automation::CellAddress;
using automation::ColumnSpan;
using automation::Dispatch;
using automation::NamedArgument;
using automation::RowSpan;
using automation::Variant;
using automation::VariantArray;
using automation::VariantKind;

namespace {

constexpr const char* kCreateFailed = "Ошибка создания книги Excel: ";
constexpr const char* kSaveFailed = "Ошибка записи файла Excel: ";

// Excel's template code for a workbook of one worksheet.
constexpr std::int16_t kOneSheetWorkbook = -4167;
constexpr int kOpenXmlWorkbook = 51;
constexpr int kExcel8Workbook = 56;

// `Version` as text, whatever kind of value the server answered with.
std::string VersionText(const Variant& value) {
  if (value.Kind() == VariantKind::Text) return value.AsText();
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value.AsNumber());
  return std::string(text, result.ptr);
}

// Quits `app` unless workbooks are open in it: an Excel already running,
// with the user's workbooks, may have answered our start. That one gets
// back the settings we changed instead. Never throws.
void QuitUnlessInUse(const Dispatch& app) {
  bool inUse = false;
  try {
    inUse = app.GetObject("Workbooks").Get("Count").AsInteger() > 0;
  } catch (...) {
    // A server that cannot tell is told to quit: none must stay behind.
  }
  try {
    if (!inUse) {
      app.Call("Quit");
      return;
    }
    for (const char* setting : {"ScreenUpdating", "EnableEvents", "DisplayAlerts"}) {
      app.Set(setting, Variant(true));
    }
  } catch (...) {
  }
}

// `path` as a server in another process must get it: Excel saves a
// relative name in its own current folder, not ours, so it goes absolute
// (with backslashes on Windows). The engine in this process resolves it
// against our folder itself.
std::string PathForServer(const std::string& path, bool outOfProcess) {
  if (!outOfProcess) return path;
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path full = fs::absolute(fs::path(std::u8string(path.begin(), path.end())), error);
  if (error) return path;
  const std::u8string text = full.make_preferred().u8string();
  return std::string(text.begin(), text.end());
}

// Whether the server refused `shortcut` as a type or argument it does not
// take (so the plain form is to be used); throws any other failure.
template <typename Shortcut>
bool Refused(Shortcut&& shortcut) {
  try {
    shortcut();
  } catch (const AutomationError& error) {
    if (error.reason() != AutomationError::Reason::kRefused) throw;
    return true;
  }
  return false;
}

bool SameWidth(const ColumnLayout& a, const ColumnLayout& b) { return a.width == b.width; }

bool SameFormat(const ColumnLayout& a, const ColumnLayout& b) {
  if (a.format == nullptr || b.format == nullptr) return a.format == b.format;
  return std::strcmp(a.format, b.format) == 0;
}

// Calls `use(first, areas)` once for each group of layouts that `same`
// finds alike wherever they stand: `first` is the group's first layout,
// counted from 1, and `areas` its runs of neighbours as `span(first,
// last)` names them, joined by commas ("A:C,E:H"), the union Range takes.
template <typename Same, typename Span, typename Use>
void ForEachGroup(std::span<const ColumnLayout> layouts, Same same, Span span, Use use) {
  const int n = static_cast<int>(layouts.size());
  std::vector<bool> grouped(static_cast<std::size_t>(n) + 2, false);
  for (int first = 1; first <= n; ++first) {
    if (grouped[first]) continue;
    std::string areas;
    int runStart = 0;
    for (int i = first; i <= n + 1; ++i) {
      if (i <= n && !grouped[i] && same(layouts[first - 1], layouts[i - 1])) {
        grouped[i] = true;
        if (runStart == 0) runStart = i;
        continue;
      }
      if (runStart == 0) continue;
      areas += (areas.empty() ? "" : ",") + span(runStart, i - 1);
      runStart = 0;
    }
    use(first, areas);
  }
}

}  // namespace

std::uint32_t ParseExcelVersion(const std::string& versionText) {
  std::size_t begin = 0;
  std::size_t end = versionText.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(versionText[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(versionText[end - 1]))) --end;
  // from_chars reads the C form, with a full stop, in every locale.
  double value = 0;
  const char* first = versionText.data() + begin;
  const auto [ptr, ec] = std::from_chars(first, versionText.data() + end, value);
  if (ec != std::errc() || ptr != versionText.data() + end || begin == end ||
      !(value > -1.0 && value < 4294967296.0)) {
    throw AutomationError("\"" + versionText + "\" не является номером версии Excel");
  }
  return static_cast<std::uint32_t>(std::trunc(value));
}

int SaveFormatFor(const std::string& path, std::uint32_t version) {
  const std::size_t nameStart = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
  std::string extension = hasExtension ? path.substr(dot) : std::string();
  // Users type ".XLS" as often as ".xls": both name the same format.
  extension = AsciiLower(extension);
  if (version <= 11) return 0;
  if (extension == ".xlsx") return kOpenXmlWorkbook;
  if (extension == ".xls") return kExcel8Workbook;
  return 0;
}

namespace {

// Whether the workbook for `path` will be an Excel 97-2003 one: so an old
// Excel saves every workbook.
bool SavedAsXls(const std::string& path, std::uint32_t version) {
  return version <= 11 || SaveFormatFor(path, version) == kExcel8Workbook;
}

}  // namespace

std::uint32_t SheetColumnsFor(const std::string& path, std::uint32_t version) {
  return SavedAsXls(path, version) ? kXlsSheetColumns : kXlsxSheetColumns;
}

std::uint32_t GetExcelVersion(const automation::ServerStarter& start) {
  // A failed start is the caller's to report.
  Dispatch excel = start(kExcelProgId);
  std::uint32_t version = 0;
  try {
    excel.Set("Visible", Variant(false));
    version = ParseExcelVersion(VersionText(excel.Get("Version")));
  } catch (const AutomationError& error) {
    // An Excel that never answered has a version all the same: no guess.
    if (error.reason() == AutomationError::Reason::kBusy) {
      QuitUnlessInUse(excel);
      throw;
    }
    // Otherwise an Excel that gives no usable version: 0.
  } catch (const std::exception&) {
  }
  QuitUnlessInUse(excel);
  return version;
}

ExcelBookWriter::ExcelBookWriter(automation::ServerStarter start, MessageSink& messages)
    : ExcelBookWriter(std::move(start), messages, kRowsPerBlock) {}

ExcelBookWriter::ExcelBookWriter(automation::ServerStarter start, MessageSink& messages,
                                 std::size_t rowsPerBlock)
    : start_(std::move(start)), messages_(messages) {
  std::vector<std::size_t> columns;
  for (const SheetLayout& sheet : WorkbookLayout()) columns.push_back(sheet.columns.size());
  transport_ = std::make_unique<RowTransport>(std::move(columns), rowsPerBlock);
}

ExcelBookWriter::~ExcelBookWriter() {
  if (!keptApp_.IsEmpty()) QuitUnlessInUse(keptApp_);
}

bool ExcelBookWriter::ShowFailure(const char* prefix, const std::exception& error) {
  messages_.ShowMessage(MessageKind::Error, prefix + std::string(error.what()));
  return false;
}

void ExcelBookWriter::PrepareForFormat(const std::string& path) {
  rowLimit_ = automation::kMaxRows;
  if (path.empty()) return;
  const std::uint32_t version = ParseExcelVersion(VersionText(excelApp_.Get("Version")));
  const int format = SaveFormatFor(path, version);
  if (SavedAsXls(path, version)) rowLimit_ = automation::kXlsMaxRows;
  // Told every time: an engine kept from the last workbook remembers.
  if (!excelApp_.Object()->OutOfProcess()) {
    excelApp_.Set("DefaultSaveFormat",
                  Variant(std::int32_t{format != 0 ? format : kOpenXmlWorkbook}));
  }
}

std::string RowPastLimitText(std::string_view sheet, std::uint32_t limit) {
  if (limit == automation::kXlsMaxRows) return automation::XlsTooManyRowsText(sheet, limit + 1);
  return "Лист «" + std::string(sheet) + "» не помещается в книгу Excel: в нём больше " +
         std::to_string(limit) + " строк (занята строка " + std::to_string(limit + 1) +
         "); сконвертируйте журнал в XML";
}

Dispatch ExcelBookWriter::StartOrReuseExcel() {
  Dispatch kept = std::exchange(keptApp_, Dispatch());
  if (!kept.IsEmpty()) {
    try {
      kept.Get("Version");
      return kept;
    } catch (const std::exception&) {
      // Gone since the last workbook (closed by the user, crashed): start anew.
    }
  }
  return start_(kExcelProgId);
}

bool ExcelBookWriter::CreateExcelBook(const std::string& path) {
  try {
    ForgetWorkbook();
    excelApp_ = StartOrReuseExcel();
    transport_->Connect(excelApp_.Object()->OutOfProcess());
    unions_ = true;
    PrepareForFormat(path);
    LayOutWorkbook();
  } catch (const std::exception& error) {
    // The driver never closes a book that failed to come into being: a
    // server started for it must not stay behind, invisible, until exit.
    CloseExcelBook();
    return ShowFailure(kCreateFailed, error);
  }
  return true;
}

void ExcelBookWriter::LayOutWorkbook() {
  excelApp_.Set("Visible", Variant(false));
  // Nothing to draw and no add-in's handlers to run while we write: faster
  // and quieter. Calculation stays as it is: the workbook has no formulas.
  excelApp_.Set("ScreenUpdating", Variant(false));
  excelApp_.Set("EnableEvents", Variant(false));
  // Ours is the workbook Add gives: another may be open in this Excel.
  book_ = Dispatch(excelApp_.GetObject("Workbooks").Call("Add", {Variant(kOneSheetWorkbook)}));
  // A server that refuses Count gets one sheet per Add, as one in this
  // process does.
  if (!transport_->Batched() || Refused([&] { AddSheetsAtOnce(); })) {
    for (std::size_t i = 1; i < kSheetCount; ++i) {
      const Dispatch worksheets = book_.GetObject("Worksheets");
      const Variant count = worksheets.Get("Count");
      const Dispatch last = book_.GetObject("Worksheets", {count});
      worksheets.Call("Add", {}, {NamedArgument{"After", last.AsVariant()}});
    }
  }
  const auto& layout = WorkbookLayout();
  for (std::size_t i = 0; i < kSheetCount; ++i) {
    sheets_[i] = book_.GetObject("Worksheets", {Variant(static_cast<std::int32_t>(i + 1))});
    transport_->SetSheet(i, sheets_[i]);
  }
  for (std::size_t i = 0; i < kSheetCount; ++i) sheets_[i].Set("Name", Variant(layout[i].name));
  sheets_[kSaleSheet].Call("Select");
  for (std::size_t i = 0; i < kSheetCount; ++i) {
    const std::size_t cells = layout[i].columns.size();
    buffers_[i] =
        i == kZReportSheet ? Variant(VariantArray(cells, 1)) : Variant(VariantArray(1, cells));
  }
  for (std::size_t i = 0; i < kSheetCount; ++i) {
    if (i == kZReportSheet) {
      FormatZReportSheet();
    } else {
      FormatRowSheet(i);
    }
  }
}

template <typename Shortcut>
bool ExcelBookWriter::UnionsTaken(Shortcut&& formatInUnions) {
  if (!transport_->Batched() || !unions_) return false;
  unions_ = !Refused(formatInUnions);
  return unions_;
}

void ExcelBookWriter::AddSheetsAtOnce() {
  const Dispatch worksheets = book_.GetObject("Worksheets");
  const Dispatch first = worksheets.GetObject("Item", {Variant(std::int32_t{1})});
  worksheets.Call("Add", {},
                  {NamedArgument{"After", first.AsVariant()},
                   NamedArgument{"Count", Variant(static_cast<std::int32_t>(kSheetCount - 1))}});
}

void ExcelBookWriter::FormatRowSheet(std::size_t sheet) {
  const auto& columns = WorkbookLayout()[sheet].columns;
  const int n = static_cast<int>(columns.size());
  if (!UnionsTaken([&] { FormatColumnSpans(sheet); })) FormatEachColumn(sheet);
  VariantArray& buffer = buffers_[sheet].AsArray();
  for (int c = 1; c <= n; ++c) buffer.At(1, c) = Variant(columns[c - 1].caption);
  AssignBuffer(sheet, CellAddress(1, 1), CellAddress(1, n));
}

void ExcelBookWriter::FormatColumnSpans(std::size_t sheet) {
  const auto& columns = WorkbookLayout()[sheet].columns;
  const Dispatch& target = sheets_[sheet];
  ForEachGroup(columns, SameWidth, ColumnSpan, [&](int first, const std::string& areas) {
    target.GetObject("Range", {Variant(areas)})
        .Set("ColumnWidth", Variant(std::int32_t{columns[first - 1].width}));
  });
  ForEachGroup(columns, SameFormat, ColumnSpan, [&](int first, const std::string& areas) {
    const char* format = columns[first - 1].format;
    if (format == nullptr) return;  // the date column keeps Excel's own
    target.GetObject("Range", {Variant(areas)}).Set("NumberFormat", Variant(format));
  });
}

void ExcelBookWriter::FormatEachColumn(std::size_t sheet) {
  const auto& columns = WorkbookLayout()[sheet].columns;
  const int n = static_cast<int>(columns.size());
  const Dispatch formatTarget = sheets_[sheet].GetObject("Columns");
  for (int c = 1; c <= n; ++c) {
    formatTarget.GetObject("Columns", {Variant(std::int32_t{c})})
        .Set("ColumnWidth", Variant(std::int32_t{columns[c - 1].width}));
  }
  for (int c = 1; c <= n; ++c) {
    if (columns[c - 1].format == nullptr) continue;  // the date column keeps Excel's own
    formatTarget.GetObject("Columns", {Variant(std::int32_t{c})})
        .Set("NumberFormat", Variant(columns[c - 1].format));
  }
}

void ExcelBookWriter::FormatZReportSheet() {
  const auto& rows = WorkbookLayout()[kZReportSheet].columns;
  const Dispatch columns = sheets_[kZReportSheet].GetObject("Columns");
  columns.GetObject("Columns", {Variant(std::int32_t{1})})
      .Set("ColumnWidth", Variant(std::int32_t{kZReportCaptionWidth}));
  columns.GetObject("Columns", {Variant(std::int32_t{2})})
      .Set("ColumnWidth", Variant(std::int32_t{kZReportValueWidth}));
  const auto rowSpans = [&] {
    const auto rowSpan = [](int first, int last) {
      return RowSpan(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last));
    };
    ForEachGroup(rows, SameFormat, rowSpan, [&](int first, const std::string& areas) {
      const char* format = rows[first - 1].format;
      if (format == nullptr) return;  // the date row keeps Excel's own
      sheets_[kZReportSheet]
          .GetObject("Range", {Variant(areas)})
          .Set("NumberFormat", Variant(format));
    });
  };
  if (!UnionsTaken(rowSpans)) {
    const Dispatch formatTarget = sheets_[kZReportSheet].GetObject("Rows");
    for (std::size_t r = 1; r <= kZReportRows; ++r) {
      if (rows[r - 1].format == nullptr) continue;  // the date row keeps Excel's own
      formatTarget.GetObject("Rows", {Variant(static_cast<std::int32_t>(r))})
          .Set("NumberFormat", Variant(rows[r - 1].format));
    }
  }
  VariantArray& buffer = buffers_[kZReportSheet].AsArray();
  for (std::size_t r = 1; r <= kZReportRows; ++r) buffer.At(r, 1) = Variant(rows[r - 1].caption);
  AssignBuffer(kZReportSheet, CellAddress(1, 1), CellAddress(kZReportRows, 1));
}

void ExcelBookWriter::AssignBuffer(std::size_t sheet, const std::string& first,
                                   const std::string& last) {
  sheets_[sheet].GetObject("Range", {Variant(first), Variant(last)}).Set("Value", buffers_[sheet]);
}

bool ExcelBookWriter::SaveExcelBook(const std::string& path) {
  if (excelApp_.IsEmpty()) return true;
  if (!FlushAllRows()) return false;
  try {
    const std::uint32_t version = ParseExcelVersion(VersionText(excelApp_.Get("Version")));
    // The save dialog has asked already; Excel must not ask again.
    excelApp_.Set("DisplayAlerts", Variant(false));
    const int format = SaveFormatFor(path, version);
    if (format == kExcel8Workbook && excelApp_.Object()->OutOfProcess()) RefuseRowsPastXls();
    LayOutEarlierZReports(SheetColumnsFor(path, version));
    const Variant target(PathForServer(path, excelApp_.Object()->OutOfProcess()));
    if (format == 0) {
      book_.Call("SaveAs", {target});
    } else {
      book_.Call("SaveAs", {target, Variant(std::int32_t{format})});
    }
  } catch (const std::exception& error) {
    // A stop asked for ends the save; the driver says so once.
    if (platform::Cancellation::Requested()) return false;
    return ShowFailure(kSaveFailed, error);
  }
  return true;
}

bool ExcelBookWriter::CloseExcelBook() {
  // The handles are taken first, so the writer is empty whatever the
  // server answers; the last reference goes when `app` does.
  const Dispatch app = std::exchange(excelApp_, Dispatch());
  const Dispatch book = std::exchange(book_, Dispatch());
  ForgetWorkbook();
  if (app.IsEmpty()) return true;
  // A crashed or closed Excel fails every call; there is nothing more to
  // do for it then. Each is tried whatever the one before did, so that no
  // live server is left behind.
  try {
    app.Set("DisplayAlerts", Variant(false));
  } catch (...) {
  }
  try {
    // Saved or not, ours goes without a question.
    if (!book.IsEmpty()) book.Call("Close", {}, {NamedArgument{"SaveChanges", Variant(false)}});
  } catch (...) {
  }
  if (keepExcel_) {
    keptApp_ = app;
  } else {
    QuitUnlessInUse(app);
  }
  return true;
}

void ExcelBookWriter::RefuseRowsPastXls() const {
  for (std::size_t sheet = 0; sheet < kSheetCount; ++sheet) {
    // Rows follow one another from the top: the first past is the limit's next.
    if (lastRows_[sheet] > automation::kXlsMaxRows) {
      throw AutomationError(automation::XlsTooManyRowsText(WorkbookLayout()[sheet].name,
                                                           automation::kXlsMaxRows + 1));
    }
  }
}

void ExcelBookWriter::ForgetWorkbook() {
  sheets_.fill(Dispatch());
  buffers_.fill(Variant());
  transport_->Forget();
  lastRows_.fill(0);
  zReportPending_ = false;
  zReports_.Clear();
}

}  // namespace z917::excel_writer
