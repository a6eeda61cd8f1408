"""End to end: a synthetic journal converted by z917conv to .xlsx or .xls,
read back with a reader we did not write (openpyxl, xlrd) and compared, cell
by cell, with the entries z917dump decodes. The .xls goes under a capital
".XLS" name, which must give the same format. A second journal of 300
Z-reports checks that every one is kept, as far as the format's columns go.

Usage: check_excel_conversion.py BIN_DIR WORK_DIR xlsx|xls
"""
import datetime
import re
import struct
import subprocess
import sys
from pathlib import Path

BIN, WORK, FORMAT = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]

SHEETS = [
    "Продажі", "Виплати", "Анульовані продажі", "Анульовані виплати",
    "Внес. вилуч. готівки", "Приймання товарів", "Повернення товарів", "Z-звіт",
    "Підсумок чека продажу", "Підсумок чека виплати",
]
HEADER = ["Номер зміни", "Номер чека", "Номер касира", "Дата/час", "Номер пакета"]
SALES = HEADER + ["Відмова", "Код товару", "Номер партії", "Кількість, шт/кг", "Ціна, грн",
                  "Вартість, грн", "Податкова група", "Ваговий/штучний товар",
                  "Товар/послуга/виплата"]
CAPTIONS = {
    "Продажі": SALES + ["Назва товару"],
    "Виплати": SALES + ["Назва виплати", "Назва товару"],
    "Анульовані продажі": SALES + ["Назва товару"],
    "Анульовані виплати": SALES + ["Назва виплати", "Назва товару"],
    "Внес. вилуч. готівки": HEADER + ["Внесення/вилучення", "Сума", "Наявність готівки",
                                      "Ім’я касира"],
    "Приймання товарів": HEADER + ["Номер постачальника", "Код товару", "Номер партії",
                                   "Кількість", "Нова ціна", "Ім’я касира"],
    "Підсумок чека продажу": HEADER + ["Сума", "Готівкою", "Карткою", "Форма 1", "Форма 2",
                                       "Форма 3", "Форма 4", "Форма 5"],
}
CAPTIONS["Повернення товарів"] = CAPTIONS["Приймання товарів"]
CAPTIONS["Підсумок чека виплати"] = CAPTIONS["Підсумок чека продажу"]

TAX = ["А", "Б", "В", "Г", "Д", " ", " ", " "]
WEIGHT = ["Штучний", "Ваговий"]
ITEM = ["Товар", "Послуга", "Виплата", "Виплата"]

# Value kinds: counter, date, quantity, money, text (already looked up).
C, D, Q, M, T = "0", "date", "0.000", "0.00", "@"


def tokens(line):
    return [t[1:-1] if t.startswith('"') else t
            for t in re.findall(r'"[^"]*"(?= |$)|\S+', line)]


def header(f):
    # f: kind, position, shift, check, cashier, date, time, packet, rest...
    date = datetime.datetime.strptime(f[5] + " " + f[6], "%Y-%m-%d %H:%M:%S")
    packet = -1 if f[7] == "4294967295" else int(f[7])
    return [(C, int(f[2])), (C, int(f[3])), (C, int(f[4])), (D, date), (C, packet)], f[8:]


def sales(rest):
    return [(C, int(rest[0])), (C, int(rest[1])), (C, int(rest[2])), (Q, int(rest[3]) / 1000),
            (M, int(rest[4]) / 100), (M, int(rest[5]) / 100), (T, TAX[int(rest[6])]),
            (T, WEIGHT[int(rest[7])]), (T, ITEM[int(rest[8])])] + [(T, s) for s in rest[9:]]


def goods(rest):
    price = "-" if rest[4] == "4294967295" else int(rest[4]) / 100
    return [(C, int(rest[0])), (C, int(rest[1])), (C, int(rest[2])), (Q, int(rest[3]) / 1000),
            (M, price), (T, rest[5])]


def money(values):
    return [(M, int(v) / 100) for v in values]


def expected_row(f):
    """The sheet, the row and the (kind, value) cells an entry should give."""
    kind, row = f[0], int(f[1]) + 1  # XML position + 1 = Excel row
    head, rest = header(f)
    if kind in ("Sale", "Refund", "AnnulSale", "AnnulRefund"):
        sheet = {"Sale": 0, "Refund": 1, "AnnulSale": 2, "AnnulRefund": 3}[kind]
        return SHEETS[sheet], row, head + sales(rest)
    if kind in ("CashIn", "CashOut"):
        word = "Внесення" if kind == "CashIn" else "Вилучення"
        return SHEETS[4], row, head + [(T, word)] + money(rest[:2]) + [(T, rest[2])]
    if kind in ("Receipt", "Return"):
        return SHEETS[5 if kind == "Receipt" else 6], row, head + goods(rest)
    if kind in ("CheckSumSale", "CheckSumRefund"):
        return SHEETS[8 if kind == "CheckSumSale" else 9], row, head + money(rest)
    assert kind == "ZReport", kind
    z = [(C, int(rest[0])), (C, int(rest[1]))] + money(rest[2:24]) + [(T, rest[24])]
    return SHEETS[7], 1, head + z


class Cell:
    """What a reader saw in one cell: "n", "d", "s" or None, value, format."""

    def __init__(self, kind, value, number_format):
        self.kind, self.value, self.number_format = kind, value, number_format


class OpenpyxlBook:
    def __init__(self, path):
        import openpyxl
        self.book = openpyxl.load_workbook(path)
        self.sheet_names = self.book.sheetnames
        self.active = self.book.active.title

    def cell(self, sheet, row, col):
        c = self.book[sheet].cell(row, col)
        if c.value is None:
            return Cell(None, None, c.number_format)
        kind = "d" if c.is_date else {"n": "n", "s": "s"}[c.data_type]
        return Cell(kind, c.value, c.number_format)

    def max_row(self, sheet):
        return self.book[sheet].max_row

    def max_column(self, sheet):
        return self.book[sheet].max_column

    def width(self, sheet, col):
        # A run of columns of one width is one dimension, keyed by its first.
        for dim in self.book[sheet].column_dimensions.values():
            if dim.min is not None and dim.min <= col <= dim.max:
                return dim.width
        return None


class XlrdBook:
    def __init__(self, path):
        import xlrd
        self.xlrd = xlrd
        self.book = xlrd.open_workbook(path, formatting_info=True)
        self.sheet_names = self.book.sheet_names()
        self.active = [s.name for s in self.book.sheets() if s.sheet_selected][0]

    def cell(self, sheet, row, col):
        ws = self.book.sheet_by_name(sheet)
        if row > ws.nrows or col > ws.ncols:
            return Cell(None, None, None)
        c = ws.cell(row - 1, col - 1)
        xf = self.book.xf_list[c.xf_index]
        fmt = self.book.format_map[xf.format_key].format_str
        if c.ctype == self.xlrd.XL_CELL_DATE:
            return Cell("d", self.xlrd.xldate_as_datetime(c.value, self.book.datemode), fmt)
        kind = {self.xlrd.XL_CELL_NUMBER: "n", self.xlrd.XL_CELL_TEXT: "s"}.get(c.ctype)
        return Cell(kind, c.value if kind else None, fmt)

    def max_row(self, sheet):
        return self.book.sheet_by_name(sheet).nrows

    def max_column(self, sheet):
        return self.book.sheet_by_name(sheet).ncols

    def width(self, sheet, col):
        info = self.book.sheet_by_name(sheet).colinfo_map.get(col - 1)
        return info.width / 256 if info else None


def check_cell(cell, kind, value, where):
    if kind == D:
        assert cell.kind == "d" and cell.value == value, (where, cell.value, value)
        return
    assert cell.number_format == kind, (where, cell.number_format, kind)
    if isinstance(value, str):
        assert cell.kind == "s" and cell.value == value, (where, cell.value, value)
    else:
        assert cell.kind == "n" and abs(cell.value - value) < 1e-9, (where, cell.value, value)


def z_reports_only(source, target, count):
    """Writes `count` Z-reports cut from the journal `source`, each with its
    index as its shift number, so that every column differs."""
    data, found, i = source.read_bytes(), [], 0
    while i + 16 <= len(data):
        end = i + 16 + struct.unpack_from("<H", data, i)[0]
        if data[i + 2] == 6:  # the Z-report's packet type
            found.append(data[i:end])
        i = end
    out = bytearray()
    for n in range(count):
        packet = bytearray(found[n % len(found)])
        struct.pack_into("<H", packet, 3, n + 1)
        out += packet
    target.write_bytes(out)


def convert(name, make_journal):
    """Makes and converts a journal; answers its entries and the book."""
    journal, output = WORK / (name + ".bin"), WORK / (name + "." + FORMAT.upper())
    make_journal(journal)
    dump = subprocess.run([BIN / "z917dump", "--entries", journal], check=True,
                          capture_output=True, text=True).stdout
    run = subprocess.run([BIN / "z917conv", journal, output], capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    entries = [tokens(line) for line in dump.splitlines() if line[:1].isupper()
               and not line.startswith(("total", "entry kind"))]
    entries = [e for e in entries if len(e) > 7]
    book = OpenpyxlBook(output) if FORMAT == "xlsx" else XlrdBook(output)
    return entries, book, output


def check_z_reports(book, entries):
    """Column B holds the last Z-report, C onwards the earlier ones, newest
    first, each as wide as B, as many as the format's columns hold."""
    z = SHEETS[7]
    reports = [expected_row(e)[2] for e in entries if e[0] == "ZReport"]
    kept = reports[::-1][:(256 if FORMAT == "xls" else 16384) - 1]
    for col, cells in enumerate(kept, start=2):
        for r, (kind, value) in enumerate(cells, start=1):
            check_cell(book.cell(z, r, col), kind, value, (z, r, col))
        assert abs(book.width(z, col) - 15) < 1, (z, col, book.width(z, col))
    assert book.max_column(z) == len(kept) + 1, (book.max_column(z), len(kept))
    return len(reports), len(kept)


def main():
    WORK.mkdir(parents=True, exist_ok=True)
    entries, book, output = convert("journal", lambda j: subprocess.run(
        [BIN / "z917gen", "--packets", "3000", "--seed", "917", j], check=True))
    assert len(entries) > 1000
    assert book.sheet_names == SHEETS, book.sheet_names
    assert book.active == SHEETS[0], book.active

    z = SHEETS[7]
    assert [book.cell(z, r, 1).value for r in range(1, 4)] == HEADER[:3]
    assert abs(book.width(z, 1) - 30) < 1 and abs(book.width(z, 2) - 15) < 1

    rows = {}
    last_z = None
    for e in entries:
        sheet, row, cells = expected_row(e)
        if sheet == SHEETS[7]:
            last_z = cells
            continue
        rows[sheet] = max(rows.get(sheet, 1), row)
        for col, (kind, value) in enumerate(cells, start=1):
            check_cell(book.cell(sheet, row, col), kind, value, (sheet, row, col))
    assert last_z is not None
    for r, (kind, value) in enumerate(last_z, start=1):
        check_cell(book.cell(z, r, 2), kind, value, (z, r, 2))

    for sheet, captions in CAPTIONS.items():
        assert [book.cell(sheet, 1, c).value for c in range(1, len(captions) + 1)] == captions
        assert book.max_row(sheet) == rows.get(sheet, 1), (sheet, book.max_row(sheet))
        assert abs(book.width(sheet, 4) - 15) < 1, sheet
    print(f"{len(entries)} entries checked in {output}")
    print("Z-reports: %d written, %d kept" % check_z_reports(book, entries))

    entries, book, output = convert(
        "many_z_reports", lambda j: z_reports_only(WORK / "journal.bin", j, 300))
    written, kept = check_z_reports(book, entries)
    assert written > 255, written
    print(f"Z-reports in {output}: {written} written, {kept} kept")


main()
