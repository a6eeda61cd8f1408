"""Prints what xlrd reads from an .xls file, one fact a line and in the
words of read_xlsx.py, so that a test can compare it with what it wrote:
sheet names in order, the active sheet, column widths and formats, row
formats and
every cell with its type and number format. With --summary it prints, for
large files, only each sheet's row count, cell count and the sum of its
numbers."""
import datetime
import sys

import xlrd
from xlrd.biffh import XL_CELL_BLANK, XL_CELL_BOOLEAN, XL_CELL_DATE, XL_CELL_EMPTY, XL_CELL_NUMBER


# The cell XF of a cell without a format of its own, after the 15 style XFs.
GENERAL_CELL_XF = 15


def number(value):
    return repr(int(value)) if value == int(value) else repr(value)


def describe(book, cell):
    if cell.ctype == XL_CELL_BOOLEAN:
        return "bool " + str(bool(cell.value))
    if cell.ctype == XL_CELL_DATE:
        moment = xlrd.xldate.xldate_as_datetime(cell.value, book.datemode)
        if cell.value < 1:
            return "date " + moment.time().isoformat()
        return "date " + moment.isoformat()
    if cell.ctype == XL_CELL_NUMBER:
        return "number " + number(cell.value)
    return "text " + repr(cell.value)


def format_of(book, xf_index):
    return book.format_map[book.xf_list[xf_index].format_key].format_str


def main(path, summary):
    # Ragged rows: a row is as long as its last cell, so that a far corner
    # does not make every row 256 cells long.
    book = xlrd.open_workbook(path, formatting_info=True, ragged_rows=True)
    sheets = book.sheets()
    print("sheets", "|".join(s.name for s in sheets))
    print("active", "|".join(s.name for s in sheets if s.sheet_visible and s.sheet_selected))
    for sheet in sheets:
        name = sheet.name
        if summary:
            cells = [c for r in range(sheet.nrows) for c in sheet.row(r) if c.ctype != XL_CELL_BLANK]
            total = sum(c.value for c in cells if c.ctype == XL_CELL_NUMBER)
            print(f"{name} rows {sheet.nrows} cells {len(cells)} sum {number(total)}")
            continue
        for col, info in sorted(sheet.colinfo_map.items()):
            if info.bit1_flag:
                print(f"{name} width {xlrd.colname(col)} {info.width / 256}")
            if info.xf_index != GENERAL_CELL_XF:
                print(f"{name} column {xlrd.colname(col)} {format_of(book, info.xf_index)}")
        for row, info in sorted(sheet.rowinfo_map.items()):
            if info.has_default_xf_index:
                print(f"{name} row {row + 1} {format_of(book, info.xf_index)}")
        for row in range(sheet.nrows):
            for col, cell in enumerate(sheet.row(row)):
                if cell.ctype in (XL_CELL_EMPTY, XL_CELL_BLANK):
                    continue
                address = xlrd.formula.cellname(row, col)
                print(f"{name}!{address} {describe(book, cell)} {format_of(book, cell.xf_index)}")


if __name__ == "__main__":
    main(sys.argv[-1], "--summary" in sys.argv)
