// The objects of the workbook engine, named as Excel names them:
// Application, Workbooks, Workbook, Worksheets, Worksheet and Range. Each
// answers to the members a late-bound Excel client uses to build and save
// a workbook.
#pragma once

#include <memory>
#include <vector>

#include "automation/workbook/engine_object.h"
#include "automation/workbook/sheet.h"
#include "automation/workbook/workbook_model.h"

namespace z917::workbook {

using WorkbookPtr = std::shared_ptr<WorkbookModel>;

class ApplicationObject final : public EngineObject {
 public:
  // An object of the instance whose state is `state`.
  explicit ApplicationObject(StatePtr state);

 private:
  Variant Invoke(std::size_t member, MemberUse use, const Arguments& args,
                 const Variant* value) override;
};

class WorkbooksObject final : public EngineObject {
 public:
  // An object of the instance whose state is `state`.
  explicit WorkbooksObject(StatePtr state);
  // Workbook `index` (from 1); throws AutomationError outside 1..Count.
  static Variant Item(const StatePtr& state, const std::string& subject, const Variant& index);

 private:
  Variant Invoke(std::size_t member, MemberUse use, const Arguments& args,
                 const Variant* value) override;
};

class WorkbookObject final : public EngineObject {
 public:
  // The workbook `workbook` of the instance `state`, and its model.
  WorkbookObject(StatePtr state, WorkbookPtr workbook);
  const WorkbookPtr& Model() const { return workbook_; }

 private:
  Variant Invoke(std::size_t member, MemberUse use, const Arguments& args,
                 const Variant* value) override;

  WorkbookPtr workbook_;
};

class WorksheetsObject final : public EngineObject {
 public:
  // The sheets of `workbook`.
  WorksheetsObject(StatePtr state, WorkbookPtr workbook);
  // The sheet at `index` (from 1) or named by `index`; throws
  // AutomationError when there is none.
  static Variant Item(const StatePtr& state, const WorkbookPtr& workbook,
                      const std::string& subject, const Variant& index);

 private:
  Variant Invoke(std::size_t member, MemberUse use, const Arguments& args,
                 const Variant* value) override;
  Variant Add(const Arguments& args);

  WorkbookPtr workbook_;
};

class WorksheetObject final : public EngineObject {
 public:
  // Sheet `sheet` of `workbook`, and what it belongs to.
  WorksheetObject(StatePtr state, WorkbookPtr workbook, Sheet* sheet);
  const WorkbookPtr& Workbook() const { return workbook_; }
  Sheet* Model() const { return sheet_; }

 private:
  Variant Invoke(std::size_t member, MemberUse use, const Arguments& args,
                 const Variant* value) override;
  Variant Range(const Arguments& args);

  WorkbookPtr workbook_;
  Sheet* sheet_;  // owned by workbook_, which never drops a sheet
};

class RangeObject final : public EngineObject {
 public:
  // Which part of a range Columns(n) or Rows(n) picks.
  enum class Axis { Columns, Rows };
  // The cells `rect` of `sheet`.
  RangeObject(StatePtr state, WorkbookPtr workbook, Sheet* sheet, CellRect rect);
  // The union of `areas` (at least one) of `sheet`: widths and formats go
  // on every area; values, rows and columns need a single one.
  RangeObject(StatePtr state, WorkbookPtr workbook, Sheet* sheet, std::vector<CellRect> areas);

 private:
  Variant Invoke(std::size_t member, MemberUse use, const Arguments& args,
                 const Variant* value) override;
  Variant Part(std::size_t member, Axis axis, const Arguments& args) const;
  void SetColumnWidth(std::size_t member, const Variant& value);
  void SetNumberFormat(std::size_t member, const Variant& value);
  void SetValue(std::size_t member, const Variant& value);

  // Throws AutomationError for `member` of a union of areas.
  void ExpectOneArea(std::size_t member) const;

  WorkbookPtr workbook_;
  Sheet* sheet_;
  std::vector<CellRect> areas_;
  CellRect rect_;  // the first area
};

}  // namespace z917::workbook
