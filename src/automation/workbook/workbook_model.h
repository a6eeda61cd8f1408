// A workbook as the engine holds it: sheets in order, the active sheet,
// the texts and number formats the cells refer to. This is what a saver
// walks; it knows nothing of any file format.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/workbook/number_formats.h"
#include "automation/workbook/sheet.h"
#include "automation/workbook/text_pool.h"

namespace z917::workbook {

class WorkbookModel {
 public:
  // A workbook without sheets. Pages of rows that writing passes go to
  // `passed` (see PassedRows) when given, and stay in memory otherwise;
  // each sheet holds its first `rowsHeld` rows regardless (see Sheet).
  explicit WorkbookModel(std::unique_ptr<PassedRows> passed = nullptr, std::uint32_t rowsHeld = 0)
      : passed_(std::move(passed)), rowsHeld_(rowsHeld) {}
  WorkbookModel(const WorkbookModel&) = delete;
  WorkbookModel& operator=(const WorkbookModel&) = delete;

  // --- what savers read ---
  // How many sheets the workbook has.
  std::size_t SheetCount() const { return sheets_.size(); }
  // The sheet at `index`, counted from 0 in tab order.
  const Sheet& SheetAt(std::size_t index) const { return *sheets_[index]; }
  // The index of the active sheet, the one shown when the file opens.
  std::size_t ActiveSheet() const { return active_; }
  // The texts and number formats that cells refer to by id.
  const TextPool& Texts() const { return texts_; }
  const NumberFormats& Formats() const { return formats_; }
  // Where the sheets' passed rows are, or null when they stay in memory.
  PassedRows* Passed() { return passed_.get(); }

  // --- what the engine changes ---
  // Mutable views of the same.
  Sheet& SheetAt(std::size_t index) { return *sheets_[index]; }
  TextPool& Texts() { return texts_; }
  NumberFormats& Formats() { return formats_; }
  // The index of `sheet`, or SheetCount() when it is not in this workbook.
  std::size_t IndexOf(const Sheet* sheet) const;
  // The index of the sheet named `name` (compared as CheckSheetName
  // compares), or SheetCount() when there is none.
  std::size_t FindByName(std::string_view name) const;

  // Inserts a sheet with the next free default name ("Лист1", "Лист2",
  // ...) at `position` (0..SheetCount()) and makes it active, as Excel
  // does with a new sheet.
  Sheet& InsertSheet(std::size_t position);
  // Renames `sheet`; throws AutomationError when CheckSheetName refuses.
  void RenameSheet(Sheet& sheet, std::string name);
  // Takes back every sheet's passed rows (Sheet::MakeAllLive).
  void MakeAllLive();
  // Makes sheet `index` (from 0, below SheetCount()) the active one.
  void Activate(std::size_t index) { active_ = index; }

  // Throws AutomationError when `name` cannot name `sheet` (null for a new
  // sheet): empty, longer than 31 characters, holding : \ / ? * [ ] or a
  // control character, starting or ending with an apostrophe, "History",
  // or the name of another sheet in any letter case.
  void CheckSheetName(std::string_view name, const Sheet* sheet) const;

 private:
  // Declared first, so that it outlives the sheets that point to it.
  std::unique_ptr<PassedRows> passed_;
  std::uint32_t rowsHeld_;
  std::vector<std::unique_ptr<Sheet>> sheets_;
  std::size_t active_ = 0;
  unsigned nextDefaultName_ = 1;
  TextPool texts_;
  NumberFormats formats_;
};

}  // namespace z917::workbook
