"""Converts a synthetic journal with z917conv under two locales and reads
the XML back with xml.etree, comparing it with the entries z917dump
decodes from the same journal.

Usage: read_xml.py BIN_DIR WORK_DIR
"""
import locale
import os
import re
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

HEAD = ["Num", "SmenaNum", "CheckNum", "CasherNum", "DateTime", "PacketNum"]
ITEM = ["AnnulFlag", "Code", "Batch", "Avail", "Price", "Total", "TaxGroup", "WFlag", "XFlag"]
SUMS = ["Sale%d" % i for i in range(1, 8)]
# dump kind -> (element, fields after the header, forms of the dump's values)
KINDS = {
    "Sale": ("Sale", ITEM + ["GoodName"], "uuuqaaTWXs"),
    "AnnulSale": ("AnnulSale", ITEM + ["GoodName"], "uuuqaaTWXs"),
    "Refund": ("Refund", ITEM + ["RefundName", "GoodName"], "uuuqaaTWXss"),
    "AnnulRefund": ("AnnulRefund", ITEM + ["RefundName", "GoodName"], "uuuqaaTWXss"),
    "CashIn": ("CashInOut", ["InOut", "Sum", "Avail", "CashierName"], "mms"),
    "CashOut": ("CashInOut", ["InOut", "Sum", "Avail", "CashierName"], "mms"),
    "ZReport": ("ZReport",
                ["CheckSaleCnt", "CheckRefundCnt", "SaleTotal"] + SUMS +
                ["SaleMarkup", "SaleDiscount", "RefundTotal"] +
                ["Refund%d" % i for i in range(1, 8)] +
                ["RefundMarkup", "RefundDiscount", "CashIn", "CashOut", "CashierName"],
                "uu" + "m" * 22 + "s"),
    "Receipt": ("Reception", ["ProvCode", "Code", "Batch", "Avail", "Price", "CashierName"],
                "uuuqps"),
    "Return": ("Return", ["ProvCode", "Code", "Batch", "Avail", "Price", "CashierName"], "uuuqps"),
    "CheckSumSale": ("SumSale", ["Total"] + ["Sum%d" % i for i in range(1, 8)], "m" * 8),
    "CheckSumRefund": ("SumRefund", ["Total"] + ["Sum%d" % i for i in range(1, 8)], "m" * 8),
}
TAX = ["А", "Б", "В", "Г", "Д", " ", " ", " "]
WFLAG = ["Штучний", "Ваговий"]
XFLAG = ["Товар", "Послуга", "Виплата", "Виплата"]
TOKEN = re.compile(r'"([^"]*)"|(\S+)')


def fixed(value, scale, decimals, sep):
    sign = "-" if value < 0 else ""
    whole, frac = divmod(abs(value), 10 ** scale)
    return sign + str(whole) + sep + str(frac).zfill(scale) + "0" * (decimals - scale)


def expected_entries(dump_text, sep, dfmt, tfmt):
    entries = []
    for line in dump_text.splitlines():
        if line.startswith("entry kind"):
            break  # the summary table follows the entries
        kind = line.split(" ", 1)[0]
        if kind not in KINDS:
            continue
        values = [q if q or not u else u for q, u in TOKEN.findall(line)][1:]
        element, fields, forms = KINDS[kind]
        stamp = time.strptime(values[4] + " " + values[5], "%Y-%m-%d %H:%M:%S")
        when = time.strftime(dfmt, stamp)
        if stamp.tm_hour or stamp.tm_min or stamp.tm_sec:
            when += " " + time.strftime(tfmt, stamp)
        packet = "-1" if values[6] == "4294967295" else values[6]
        texts = values[0:4] + [when, packet]
        rest = values[7:]
        if kind in ("CashIn", "CashOut"):
            texts.append("Внесення" if kind == "CashIn" else "Вилучення")
        for form, value in zip(forms, rest):
            if form == "u":
                texts.append(value)
            elif form == "q":
                texts.append(fixed(int(value), 3, 3, sep))
            elif form == "a":
                texts.append(fixed(int(value), 2, 3, sep))
            elif form == "m":
                texts.append(fixed(int(value), 2, 2, sep))
            elif form == "p":
                texts.append("-" if value == "4294967295" else fixed(int(value), 2, 2, sep))
            elif form == "T":
                texts.append(TAX[int(value)])
            elif form == "W":
                texts.append(WFLAG[int(value)])
            elif form == "X":
                texts.append(XFLAG[int(value)])
            else:
                texts.append(value)
        assert len(rest) == len(forms), line
        entries.append((element, list(zip(HEAD + fields, texts))))
    return entries


def check_locale(bin_dir, work, journal, dump_text, name):
    env = dict(os.environ, LC_ALL=name)
    output = os.path.join(work, "journal-%s.xml" % name)
    run = subprocess.run([os.path.join(bin_dir, "z917conv"), journal, output], env=env,
                         capture_output=True)
    assert run.returncode == 0, run
    assert run.stdout.decode() == "Конвертация прошла успешно\n", run.stdout
    assert run.stderr == b"", run.stderr

    raw = open(output, "rb").read()
    assert raw.startswith(b'<?xml version="1.0" encoding="utf-8"?>'), raw[:60]
    root = ET.fromstring(raw)
    assert root.tag == "Z917_Journal", root.tag
    assert root.text is None and all(e.tail is None for e in root), "whitespace between elements"

    locale.setlocale(locale.LC_ALL, name)
    sep = locale.localeconv()["decimal_point"]
    dfmt = locale.nl_langinfo(locale.D_FMT)
    tfmt = locale.nl_langinfo(locale.T_FMT)
    want = expected_entries(dump_text, sep, dfmt, tfmt)
    locale.setlocale(locale.LC_ALL, "C")

    got = [(e.tag, [(f.tag, f.text or "") for f in e]) for e in root]
    counts = {}
    for tag, _ in got:
        counts[tag] = counts.get(tag, 0) + 1
    want_counts = {}
    for tag, _ in want:
        want_counts[tag] = want_counts.get(tag, 0) + 1
    assert counts == want_counts, (name, counts, want_counts)
    for i, (g, w) in enumerate(zip(got, want)):
        assert g == w, (name, i, g, w)
    print("%s: %d entries, separator %r, dates %r %r: OK" % (name, len(got), sep, dfmt, tfmt))


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    journal = os.path.join(work, "journal.bin")
    subprocess.run([os.path.join(bin_dir, "z917gen"), "--packets", "3000", "--seed", "11", journal],
                   check=True)
    dump = subprocess.run([os.path.join(bin_dir, "z917dump"), "--entries", journal],
                          check=True, capture_output=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
    dump_text = dump.stdout.decode()
    for name in ("C.UTF-8", "uk_UA.UTF-8"):
        check_locale(bin_dir, work, journal, dump_text, name)
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
