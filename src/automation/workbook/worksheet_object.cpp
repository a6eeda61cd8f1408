#include "automation/automation_error.h"
#include "automation/cell_address.h"
#include "automation/workbook/engine_objects.h"
#include "automation/workbook/limits.h"

namespace z917::workbook {

namespace {

using automation::AutomationError;
using automation::ObjectRef;

enum Member { kName, kSelect, kColumns, kRows, kRange, kIndex };
constexpr MemberInfo kMembers[] = {
    {"Name", kGet | kSet}, {"Select", kCall}, {"Columns", kGet},
    {"Rows", kGet},        {"Range", kGet},   {"Index", kGet},
};

constexpr CellRect kWholeSheet{1, 1, kMaxRows, static_cast<std::uint16_t>(kMaxColumns)};

}  // namespace

WorksheetObject::WorksheetObject(StatePtr state, WorkbookPtr workbook, Sheet* sheet)
    : EngineObject(std::move(state), "Worksheet", kMembers),
      workbook_(std::move(workbook)),
      sheet_(sheet) {}

Variant WorksheetObject::Invoke(std::size_t member, MemberUse use, const Arguments& args,
                                const Variant* value) {
  switch (member) {
    case kName:
      ExpectNoArguments(Where(member), args);
      if (use == kGet) return sheet_->Name();
      workbook_->RenameSheet(*sheet_, ToText(*value, ValueSubject(Where(member))));
      return {};
    case kSelect:
      ExpectNoArguments(Where(member), args);
      workbook_->Activate(workbook_->IndexOf(sheet_));
      return {};
    case kColumns:
    case kRows: {
      // The sheet's Columns and Rows are the whole sheet; an index picks
      // one column or row of it.
      const ObjectRef all = std::make_shared<RangeObject>(state_, workbook_, sheet_, kWholeSheet);
      if (args.positional.empty() && args.named.empty()) return all;
      return all->GetProperty(member == kColumns ? "Columns" : "Rows", args);
    }
    case kRange:
      return Range(args);
    case kIndex:
      ExpectNoArguments(Where(member), args);
      return static_cast<std::int32_t>(workbook_->IndexOf(sheet_) + 1);
  }
  return {};
}

Variant WorksheetObject::Range(const Arguments& args) {
  ArgumentReader reader(Where(kRange), args, {"Cell1", "Cell2"});
  if (!reader.Find(1)) {
    std::vector<CellRect> areas = automation::ParseAreas(reader.Text(0));
    return Variant(
        ObjectRef(std::make_shared<RangeObject>(state_, workbook_, sheet_, std::move(areas))));
  }
  const CellRect a = automation::ParseAddress(reader.Text(0));
  const CellRect b = automation::ParseAddress(reader.Text(1));
  const CellRect rect = {std::min(a.firstRow, b.firstRow), std::min(a.firstColumn, b.firstColumn),
                         std::max(a.lastRow, b.lastRow), std::max(a.lastColumn, b.lastColumn)};
  return Variant(ObjectRef(std::make_shared<RangeObject>(state_, workbook_, sheet_, rect)));
}

}  // namespace z917::workbook
