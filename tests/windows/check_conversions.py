"""The Windows programs under Wine against the Linux build's: journals made
by z917gen.exe, their XML under several regional settings and their .xls
and .xlsx from z917conv.exe, and z917dump.exe's listing, all equal to what
the Linux programs write, byte for byte. Every path holds Cyrillic letters.
Runs alone: it changes the prefix's regional settings, and puts the "C" set
back at the end.

Usage: check_conversions.py SOURCE_DIR LINUX_BIN WINDOWS_BIN WORK_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

SOURCE, LINUX, WINDOWS, WORK = (Path(a).resolve() for a in sys.argv[1:5])
WINE_RUN = SOURCE / "scripts" / "wine-run"
# Each Windows regional set (scripts/wine-regional) beside the POSIX
# locale whose formats it spells.
REGIONAL = [("C", "C"), ("uk", "uk_UA.UTF-8"), ("ru", "ru_UA.UTF-8"), ("ja", "ja_JP.EUC-JP")]
# Every program run gets it: an .xlsx carries this moment in its document
# and zip times instead of the save's.
os.environ["SOURCE_DATE_EPOCH"] = "1700000000"

failures = []


def check(ok, what, run=None):
    """Counts a check; a failed one shows how its Windows program ended."""
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)
        if run is not None:
            err = run.stderr.decode("utf-8", "replace").strip()
            print(f"     {Path(run.args[1]).name} ended with status {run.returncode}, "
                  f"stderr {err[-2000:]!r}; Wine's own messages: {prefix()}.log")


def linux(program, *args, locale="C"):
    env = dict(os.environ, LC_ALL=locale)
    return subprocess.run([str(LINUX / program), *map(str, args)], env=env, capture_output=True)


def windows(program, *args):
    return subprocess.run([str(WINE_RUN), str(WINDOWS / (program + ".exe")), *map(str, args)],
                          capture_output=True)


def prefix():
    cache = WINDOWS.parent / "CMakeCache.txt"
    return os.environ.get("WINEPREFIX") or str(cache.parent / "wineprefix")


def regional(name):
    subprocess.run([str(SOURCE / "scripts" / "wine-regional"), "--prefix", prefix(), name],
                   check=True)


def installed(locale):
    names = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    wanted = locale.lower().replace("-", "")
    return locale == "C" or wanted in (n.lower().replace("-", "") for n in names)


def same_file(a, b):
    return a.exists() and b.exists() and a.read_bytes() == b.read_bytes()


def journals():
    """Two journals from each build's generator: they must be the same."""
    made = []
    for seed in (1, 7):
        lin, win = WORK / f"linux {seed}.bin", WORK / f"журнал {seed}.bin"
        linux("z917gen", "--packets", 3000, "--seed", seed, lin)
        result = windows("z917gen", "--packets", 3000, "--seed", seed, win)
        check(result.returncode == 0 and same_file(lin, win),
              f"z917gen.exe seed {seed} writes the Linux journal under a Cyrillic name", result)
        made.append(win)
    return made


def xml(journal):
    for name, locale in REGIONAL:
        if not installed(locale):
            print(f"skip {name}: {locale} is not installed")
            continue
        regional(name)
        lin, win = WORK / f"{journal.stem} {name}.xml", WORK / f"{journal.stem} {name} вихід.xml"
        linux("z917conv", journal, lin, locale=locale)
        result = windows("z917conv", journal, win)
        check(result.returncode == 0 and same_file(lin, win),
              f"{journal.name} to XML under the {name} settings equals Linux's ({locale})", result)
    # Windows' own en-US default: unpadded numbers and the AM/PM mark.
    regional("us")
    out = WORK / f"{journal.stem} us.xml"
    result = windows("z917conv", journal, out)
    text = out.read_text(encoding="utf-8") if out.exists() else ""
    times = re.findall(r"<DateTime>([^<]*)</DateTime>", text)
    pattern = re.compile(r"([1-9]|1[0-2])/([1-9]|[12][0-9]|3[01])/2[0-9]{3}"
                         r"( ([1-9]|1[0-2]):[0-5][0-9]:[0-5][0-9] [AP]M)?")
    check(times and all(pattern.fullmatch(t) for t in times),
          f"{journal.name} under M/d/yyyy h:mm:ss tt: {len(times)} dates such as "
          f"{times[:2]}", result)
    regional("C")


def differing_parts(a, b):
    """Where two .xlsx packages differ: the parts whose contents do, else
    the deflated data or the zip's records."""
    try:
        with zipfile.ZipFile(a) as za, zipfile.ZipFile(b) as zb:
            names = sorted(set(za.namelist()) | set(zb.namelist()))
            parts = [n for n in names if n not in za.namelist() or n not in zb.namelist()
                     or za.read(n) != zb.read(n)]
    except (OSError, zipfile.BadZipFile) as error:
        return str(error)
    return f"parts {parts}" if parts else "every part alike, its deflated bytes or zip records not"


def excel(journal):
    for ext in ("xls", "xlsx"):
        lin, win = WORK / f"{journal.stem}.{ext}", WORK / f"{journal.stem} книга.{ext}"
        linux("z917conv", journal, lin)
        result = windows("z917conv", journal, win)
        same = result.returncode == 0 and same_file(lin, win)
        where = "" if same or ext == "xls" else f"; differs in {differing_parts(lin, win)}"
        check(same, f"{journal.name} to .{ext} equals Linux's{where}", result)


def dump(journal):
    lin = linux("z917dump", "--entries", journal).stdout
    result = windows("z917dump", "--entries", journal)
    win = result.stdout.replace(b"\r\n", b"\n")
    check(lin == win and len(lin) > 0, f"z917dump.exe lists {journal.name} as Linux's does",
          result)


def messages(journal):
    result = windows("z917conv", WORK / "нет такого.bin", WORK / "вихід.xml")
    err = result.stderr.decode("utf-8", "replace").strip()
    check(result.returncode == 1 and err == "Ошибка открытия файла БД",
          f"a missing journal is reported in Russian UTF-8 on a pipe: {err!r}", result)
    # A device's name whatever its extension: refused before converting.
    result = windows("z917conv", journal, "con .xml")
    err = result.stderr.decode("utf-8", "replace").strip()
    check(result.returncode == 1 and err.endswith("«con .xml» — это устройство, а не файл"),
          f"a device's name is refused: {err!r}", result)


def names_the_system_rewrites(journal):
    """Windows drops the dots and spaces that end a name: the format is the
    one of the name the file gets."""
    linux_xml = WORK / f"{journal.stem} C.xml"
    for typed in ("точка.xml.", "пробел.xml  "):
        result = windows("z917conv", journal, WORK / typed)
        made = WORK / typed.rstrip(". ")
        check(result.returncode == 0 and same_file(linux_xml, made),
              f"{typed!r} is written as {made.name}, an XML document", result)


def long_paths(journal):
    """A journal and its output in a folder nested past Windows' 260
    characters, which the programs reach through the \\?\ form."""
    deep = WORK.joinpath(*[f"вкладена папка {i} " + "ї" * 50 for i in range(5)])
    deep.mkdir(parents=True)
    source, out = deep / journal.name, deep / "вихід.xml"
    shutil.copyfile(journal, source)
    result = windows("z917conv", source, out)
    check(len("Z:" + str(out)) > 260 and result.returncode == 0
          and same_file(WORK / f"{journal.stem} C.xml", out),
          f"a journal {len(str(source))} characters deep converts beside itself", result)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    WORK.mkdir(parents=True)
    try:
        made = journals()
        for journal in made[:1]:
            xml(journal)
            excel(journal)
            dump(journal)
        excel(made[1])
        names_the_system_rewrites(made[0])
        long_paths(made[0])
        messages(made[0])
    finally:
        regional("C")
    if failures:
        print(f"{len(failures)} checks failed")
        sys.exit(1)
    shutil.rmtree(WORK, ignore_errors=True)


main()
