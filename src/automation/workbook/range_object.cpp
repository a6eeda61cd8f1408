#include <cmath>

#include "automation/automation_error.h"
#include "automation/cell_address.h"
#include "automation/workbook/engine_objects.h"
#include "automation/workbook/limits.h"
#include "automation/workbook/text_checks.h"

namespace z917::workbook {

namespace {

using automation::AutomationError;
using automation::ObjectRef;
using automation::VariantArray;
using automation::VariantKind;

enum Member { kColumns, kRows, kColumnWidth, kNumberFormat, kValue, kAddress };
constexpr MemberInfo kMembers[] = {
    {"Columns", kGet},      {"Rows", kGet},  {"ColumnWidth", kSet},
    {"NumberFormat", kSet}, {"Value", kSet}, {"Address", kGet},
};

std::string Shape(std::size_t rows, std::size_t columns) {
  return std::to_string(rows) + "×" + std::to_string(columns);
}

// Checks that one element of an assigned value can go into a cell, so that
// an assignment is refused before any cell of it changes.
void CheckCellValue(const Variant& v, const std::string& where, std::size_t row,
                    std::size_t column) {
  const auto element = [&] {
    return where + ": элемент (" + std::to_string(row) + ", " + std::to_string(column) + ")";
  };
  switch (v.Kind()) {
    case VariantKind::Double:
    case VariantKind::Date: {
      const double d = v.AsNumber();
      if (!std::isfinite(d))
        throw AutomationError(element() + " — число бесконечно или не определено");
      return;
    }
    case VariantKind::Text: {
      const auto length = Utf16Length(v.Get<std::string>());
      if (!length) throw AutomationError(element() + " — текст не в кодировке UTF-8");
      // A zero character would end the text early in every file format.
      if (v.Get<std::string>().find('\0') != std::string::npos) {
        throw AutomationError(element() + " — текст содержит нулевой знак");
      }
      if (*length > kMaxCellTextLength) {
        throw AutomationError(element() + " — текст длиннее " + std::to_string(kMaxCellTextLength) +
                              " знаков");
      }
      return;
    }
    case VariantKind::Object:
    case VariantKind::Array:
      throw AutomationError(element() + " — значение типа «" +
                            std::string(automation::VariantKindName(v.Kind())) +
                            "» нельзя записать в ячейку");
    default:
      return;
  }
}

void WriteCell(Sheet::RowWriter& row, std::uint16_t column, const Variant& v, TextPool& texts) {
  switch (v.Kind()) {
    case VariantKind::Empty:
      row.Clear(column);
      return;
    case VariantKind::Bool:
      row.Boolean(column, v.Get<bool>());
      return;
    case VariantKind::Double:
      row.Number(column, v.Get<double>());
      return;
    case VariantKind::Date:
      row.Date(column, v.Get<automation::Date>().value);
      return;
    case VariantKind::Text: {
      // Texts stay texts: Excel would read "12" as a number, the engine
      // keeps what the program meant. An empty text leaves the cell blank.
      const std::string& text = v.Get<std::string>();
      if (text.empty()) {
        row.Clear(column);
      } else {
        row.Text(column, texts.Intern(text));
      }
      return;
    }
    default:  // every integer kind
      row.Number(column, static_cast<double>(v.AsInteger()));
      return;
  }
}

}  // namespace

RangeObject::RangeObject(StatePtr state, WorkbookPtr workbook, Sheet* sheet, CellRect rect)
    : RangeObject(std::move(state), std::move(workbook), sheet, std::vector<CellRect>{rect}) {}

RangeObject::RangeObject(StatePtr state, WorkbookPtr workbook, Sheet* sheet,
                         std::vector<CellRect> areas)
    : EngineObject(std::move(state), "Range", kMembers),
      workbook_(std::move(workbook)),
      sheet_(sheet),
      areas_(std::move(areas)),
      rect_(areas_.front()) {}

void RangeObject::ExpectOneArea(std::size_t member) const {
  if (areas_.size() == 1) return;
  throw AutomationError(Where(member) + " — диапазон " + automation::FormatAddress(areas_) +
                        " из нескольких областей");
}

Variant RangeObject::Invoke(std::size_t member, MemberUse, const Arguments& args,
                            const Variant* value) {
  if (member == kColumns || member == kRows || member == kValue) ExpectOneArea(member);
  // Only Columns and Rows take an index; every other member none.
  if (member != kColumns && member != kRows) ExpectNoArguments(Where(member), args);
  switch (member) {
    case kColumns:
      return Part(member, Axis::Columns, args);
    case kRows:
      return Part(member, Axis::Rows, args);
    case kColumnWidth:
      SetColumnWidth(member, *value);
      return {};
    case kNumberFormat:
      SetNumberFormat(member, *value);
      return {};
    case kValue:
      SetValue(member, *value);
      return {};
    case kAddress:
      return automation::FormatAddress(areas_);
  }
  return {};
}

Variant RangeObject::Part(std::size_t member, Axis axis, const Arguments& args) const {
  ArgumentReader reader(Where(member), args, {"Index"});
  CellRect part = rect_;
  if (reader.Find(0)) {
    const std::int64_t n = reader.Integer(0);
    const std::int64_t first = axis == Axis::Columns ? rect_.firstColumn : rect_.firstRow;
    const std::int64_t limit = axis == Axis::Columns ? kMaxColumns : kMaxRows;
    if (n < 1 || first + n - 1 > limit) {
      throw AutomationError(reader.Subject(0) + " — " +
                            (axis == Axis::Columns ? "столбец " : "строка ") + std::to_string(n) +
                            " вне листа");
    }
    if (axis == Axis::Columns) {
      part.firstColumn = part.lastColumn = static_cast<std::uint16_t>(first + n - 1);
    } else {
      part.firstRow = part.lastRow = static_cast<std::uint32_t>(first + n - 1);
    }
  }
  return Variant(ObjectRef(std::make_shared<RangeObject>(state_, workbook_, sheet_, part)));
}

void RangeObject::SetColumnWidth(std::size_t member, const Variant& value) {
  const double width = ToNumber(value, ValueSubject(Where(member)));
  if (width < 0 || width > kMaxColumnWidth) {
    throw AutomationError(ValueSubject(Where(member)) +
                          " — ширина столбца должна быть от 0 до 255");
  }
  for (const CellRect& area : areas_) {
    sheet_->SetColumnWidth(area.firstColumn, area.lastColumn, width);
  }
}

void RangeObject::SetNumberFormat(std::size_t member, const Variant& value) {
  const std::string subject = ValueSubject(Where(member));
  const std::string& code = ToText(value, subject);
  const auto length = Utf16Length(code);
  if (!length) throw AutomationError(subject + " — текст не в кодировке UTF-8");
  if (*length > kMaxFormatCodeLength) {
    throw AutomationError(subject + " — код формата длиннее " +
                          std::to_string(kMaxFormatCodeLength) + " знаков");
  }
  if (HasControlCharacter(code)) {
    throw AutomationError(subject + " — код формата содержит управляющий знак");
  }
  const FormatId format = code.empty() ? kGeneralFormat : workbook_->Formats().Intern(code);
  for (const CellRect& area : areas_) sheet_->SetNumberFormat(area, format);
}

void RangeObject::SetValue(std::size_t member, const Variant& value) {
  const std::string where = Where(member);
  const std::uint32_t rows = rect_.RowCount();
  const std::uint32_t columns = rect_.ColumnCount();
  if (value.Kind() != VariantKind::Array) {
    // A single value fits a single cell only.
    if (rows != 1 || columns != 1) {
      throw AutomationError(where + " — диапазону " + automation::FormatAddress(rect_) +
                            " нужен двумерный массив " + Shape(rows, columns));
    }
    CheckCellValue(value, where, 1, 1);
    Sheet::RowWriter row(*sheet_, rect_.firstRow, 1);
    WriteCell(row, rect_.firstColumn, value, workbook_->Texts());
    return;
  }
  const VariantArray& array = value.AsArray();
  if (array.Rows() != rows || array.Columns() != columns) {
    throw AutomationError(where + " — массив " + Shape(array.Rows(), array.Columns()) +
                          " не совпадает с диапазоном " + automation::FormatAddress(rect_) + " (" +
                          Shape(rows, columns) + ")");
  }
  for (std::size_t r = 1; r <= rows; ++r) {
    for (std::size_t c = 1; c <= columns; ++c) CheckCellValue(array.AtUnchecked(r, c), where, r, c);
  }
  TextPool& texts = workbook_->Texts();
  for (std::uint32_t r = 1; r <= rows; ++r) {
    Sheet::RowWriter row(*sheet_, rect_.firstRow + r - 1, static_cast<std::uint16_t>(columns));
    for (std::uint32_t c = 1; c <= columns; ++c) {
      WriteCell(row, static_cast<std::uint16_t>(rect_.firstColumn + c - 1), array.AtUnchecked(r, c),
                texts);
    }
  }
}

}  // namespace z917::workbook
