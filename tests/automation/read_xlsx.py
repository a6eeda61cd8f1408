"""Prints what a reader sees in an .xlsx file, one fact a line, so that a
test can compare it with what it wrote: sheet names in order, the active
sheet, column widths, row formats and every cell with its type and number
format."""
import datetime
import sys

import openpyxl


def describe(value):
    if isinstance(value, bool):
        return "bool " + str(value)
    if isinstance(value, (datetime.datetime, datetime.time)):
        return "date " + value.isoformat()
    if isinstance(value, (int, float)):
        return "number " + repr(value)
    return "text " + repr(value)


def main(path):
    book = openpyxl.load_workbook(path)
    print("sheets", "|".join(book.sheetnames))
    print("active", book.active.title)
    for sheet in book.worksheets:
        name = sheet.title
        for letter, dim in sorted(sheet.column_dimensions.items()):
            if dim.customWidth:
                print(f"{name} width {letter} {dim.width}")
        for number, dim in sorted(sheet.row_dimensions.items()):
            if dim.s:
                print(f"{name} row {number} {dim.number_format}")
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is not None:
                    print(f"{name}!{cell.coordinate} {describe(cell.value)} {cell.number_format}")


if __name__ == "__main__":
    main(sys.argv[1])
