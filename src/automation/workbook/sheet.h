// One worksheet as the engine holds it: name, column settings and cells,
// with the rules by which Excel gives cells their number formats. Knows
// nothing of file formats; savers read it through the const members.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "automation/cell_address.h"
#include "automation/workbook/number_formats.h"
#include "automation/workbook/passed_rows.h"
#include "automation/workbook/sheet_cells.h"
#include "automation/workbook/text_pool.h"

namespace z917::workbook {

using automation::CellRect;

// What was set on a whole column.
struct ColumnInfo {
  double width = NAN;           // characters; NaN when never set
  FormatId format = kNoFormat;  // kNoFormat when never set

  bool HasWidth() const { return !std::isnan(width); }
};

class Sheet {
 public:
  // A sheet without cells; pages of rows that writing passes go to
  // `passed` when there is one, and stay in memory otherwise. Rows up to
  // `rowsHeld` stay in memory until writing goes below them: a workbook
  // meant for a format of that many rows never pays for passing them.
  explicit Sheet(std::string name, PassedRows* passed = nullptr, std::uint32_t rowsHeld = 0)
      : name_(std::move(name)), passed_(passed), pagesHeld_(rowsHeld / SheetCells::kPageRows) {}

  // --- what savers read ---
  const std::string& Name() const { return name_; }
  // The settings of columns 1..N, N the highest column that has any; a
  // column past N has none.
  std::span<const ColumnInfo> Columns() const { return columns_; }
  // The used rows held in memory, in ascending order (see SheetCells):
  // every used row except those on pages handed to PassedRows.
  const SheetCells& Rows() const { return cells_; }
  // Whether page `page` of the rows (see SheetCells::PageOf) is with
  // PassedRows rather than in Rows().
  bool IsPassed(std::uint32_t page) const {
    return page < passedPages_.size() && passedPages_[page];
  }
  // The rectangle that holds every cell, or nothing for a sheet without
  // cells (rows that carry only a format do not count).
  bool HasCells() const { return lastRow_ != 0; }
  CellRect UsedRect() const { return {firstRow_, firstColumn_, lastRow_, lastColumn_}; }

  // --- what the engine changes ---
  // Takes back every page handed to PassedRows, so that Rows() holds every
  // used row; throws as PassedRows::GiveBack.
  void MakeAllLive() { MakeLive(0, static_cast<std::uint32_t>(passedPages_.size())); }
  // Takes back the passed pages from `first` up to, not including, `end`.
  void MakeLive(std::uint32_t first, std::uint32_t end);
  // Renames the sheet; the workbook checks the name first.
  void SetName(std::string name) { name_ = std::move(name); }
  // Sets the width, in characters, of columns first..last.
  void SetColumnWidth(std::uint16_t first, std::uint16_t last, double width);
  // Sets `format` on every cell of `rect` as Excel does: a rectangle of
  // whole columns formats the columns, of whole rows the rows, the whole
  // sheet both, anything else each of its cells. Throws AutomationError
  // when that would mean formatting more than kMaxCellsFormattedAtOnce
  // cells one by one.
  void SetNumberFormat(const CellRect& rect, FormatId format);

  // Writes values into one row, cell by cell, as Excel does when a program
  // assigns them: a new cell takes the row's format, else the column's,
  // else General; an existing cell keeps its own.
  class RowWriter {
   public:
    // Writes into `row` (within the sheet), about to receive `cellsAhead`
    // cells. Each writer below takes a column within the sheet.
    RowWriter(Sheet& sheet, std::uint32_t row, std::uint16_t cellsAhead);
    void Number(std::uint16_t column, double value);
    // A date is a number; in a cell whose format is General it takes the
    // date-and-time format so that it shows as a date.
    void Date(std::uint16_t column, double value);
    void Text(std::uint16_t column, TextId text);
    void Boolean(std::uint16_t column, bool value);
    // Leaves the cell without a value; its format stays.
    void Clear(std::uint16_t column);

   private:
    Cell& At(std::uint16_t column);

    Sheet& sheet_;
    Row& row_;
    std::uint32_t number_;
  };

 private:
  // The row about to be written: its page taken back when it was passed,
  // pages that writing has left behind passed on.
  Row& RowForWriting(std::uint32_t row);
  void PassPage(std::uint32_t page);
  FormatId InheritedFormat(const Row& row, std::uint16_t column) const;
  ColumnInfo& Column(std::uint16_t column);
  void NoteCell(std::uint32_t row, std::uint16_t column);
  void FormatColumns(std::uint16_t first, std::uint16_t last, FormatId format);
  void FormatRows(std::uint32_t first, std::uint32_t last, FormatId format);
  void FormatCells(const CellRect& rect, FormatId format);

  std::string name_;
  std::vector<ColumnInfo> columns_;
  SheetCells cells_;
  PassedRows* passed_;
  const std::uint32_t pagesHeld_;
  // The first page that may still be in memory below the one being
  // written; of the pages below it, those marked here are with passed_.
  std::vector<bool> passedPages_;
  std::uint32_t nextPass_ = 0;
  // How many pages below the one being written stay in memory: none for a
  // program that writes from the top down. One that goes back (blocks of
  // rows written a run of columns at a time) makes it grow, so that it does
  // not keep taking pages back.
  std::uint32_t keepPages_ = 0;
  std::uint32_t firstRow_ = 0, lastRow_ = 0;
  std::uint16_t firstColumn_ = 0, lastColumn_ = 0;
};

}  // namespace z917::workbook
