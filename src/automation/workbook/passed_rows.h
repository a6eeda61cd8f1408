// Where a sheet puts the rows that writing has passed. A program fills a
// sheet of a million rows from the top down; rather than hold every cell
// until the save, the sheet hands each page of rows, once the writes have
// moved well below it, to a keeper that holds it more compactly (the .xlsx
// saver keeps it as compressed sheet XML, the work it would do at the save
// anyway). A write, a format or a saver that needs a page again gets it
// back, so nothing a program wrote is lost whatever the order.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "automation/workbook/sheet_cells.h"

namespace z917::workbook {

class Sheet;

class PassedRows {
 public:
  virtual ~PassedRows() = default;

  // Takes page `page` of `sheet` from `rows`, leaving it empty: the page's
  // SheetCells::kPageRows rows, the first being row page * kPageRows + 1,
  // some of them unused. Throws std::bad_alloc, or what work done for the
  // keeper earlier threw, and then leaves `rows` as it was.
  virtual void Keep(const Sheet& sheet, std::uint32_t page, std::unique_ptr<Row[]>& rows) = 0;
  // Puts the rows Keep took for `page` of `sheet` back into `rows` (the
  // page's rows, all unused) and forgets them. Throws as Keep.
  virtual void GiveBack(const Sheet& sheet, std::uint32_t page, std::span<Row> rows) = 0;
};

}  // namespace z917::workbook
