"""The Windows package under Wine, in a prefix of its own: the .zip holds the
programs and a README Notepad reads; the installer, run silently, puts the
programs in the folder given, a Start-menu shortcut and an entry in
"Programs and Features"; the installed z917conv.exe converts as the build's
does; the uninstaller takes all of it away. Three installs: for the current
user without the .bin option, for all users with it, and with it where
another program already opens .bin files (that stays so).

The registry is read from the prefix's user.reg and system.reg once Wine
has ended, not through reg.exe, whose console output garbles Cyrillic.

Usage: check_package.py SOURCE_DIR BUILD_BIN ZIP SETUP WORK_DIR PREFIX
"""
import os
import re
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

SOURCE, BUILD_BIN, ZIP, SETUP, WORK, PREFIX = (Path(a).resolve() for a in sys.argv[1:7])
WINE_RUN = SOURCE / "scripts" / "wine-run"
# settle() waits for the prefix's server to end: it must not linger.
ENV = dict(os.environ, WINEPREFIX=str(PREFIX), Z917_WINE_LINGER="0")
DRIVE_C = PREFIX / "drive_c"
PROGRAMS = {"z917conv.exe", "z917gen.exe", "z917dump.exe", "z917-converter.exe", "README.txt"}
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Z917JournalConverter"
SHORTCUT = "Z917 Journal Converter.lnk"
PROGID = "Z917.Journal"
# The folder the user picks for the program: made beforehand, so that it is
# the user's and the uninstaller must leave it.
PARENT = "Программы"

failures = []


def check(ok, what, *runs):
    """Counts a check; a failed one shows how its Windows programs ended."""
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)
    for run in runs if not ok else ():
        err = run.stderr.decode("utf-8", "replace").strip()
        print(f"     {Path(str(run.args[1])).name if run.args else '?'} ended with status "
              f"{run.returncode}, stderr {err[-2000:]!r}; Wine's own messages: {PREFIX}.log",
              flush=True)


def wine(program, *args):
    """PROGRAM's run; one that waits for an answer (a message box in a
    silent install) is ended after five minutes and counts as failed."""
    try:
        return subprocess.run([str(WINE_RUN), str(program), *map(str, args)], env=ENV,
                              capture_output=True, timeout=300)
    except subprocess.TimeoutExpired:
        subprocess.run(["wineserver", "-k"], env=ENV, check=False)
        check(False, f"{Path(str(program)).name} {' '.join(map(str, args))} ends")
        return subprocess.CompletedProcess([], 1, b"", b"")


def settle():
    """Waits until every process in the prefix and Wine's server have ended:
    the uninstaller returns at once and works from a copy of itself, and the
    server writes the registry files when it stops."""
    try:
        subprocess.run(["wineserver", "-w"], env=ENV, check=False, timeout=300)
    except subprocess.TimeoutExpired:
        subprocess.run(["wineserver", "-k"], env=ENV, check=False)
        check(False, "every program in the prefix ends")


def unescape(text):
    """A value or key name as Wine's .reg files spell it."""
    def one(m):
        s = m.group(1)
        if s.startswith("x"):
            return chr(int(s[1:], 16))
        return {"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(s, s)
    return re.sub(r"\\(x[0-9a-fA-F]{1,4}|.)", one, text)


def registry(hive):
    """{key (lower case): {value name (lower case, "" for default): text}}
    of user.reg ("HKCU") or system.reg ("HKLM")."""
    keys, current = {}, None
    path = PREFIX / ("user.reg" if hive == "HKCU" else "system.reg")
    for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
        m = re.match(r"^\[(.*)\](?: \d+)?$", line)
        if m:
            current = keys.setdefault(unescape(m.group(1)).lower(), {})
            continue
        m = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line)
        if m and current is not None:
            name = "" if m.group(1) == "@" else unescape(m.group(1)[1:-1])
            value = m.group(2)
            if value.startswith('"') and value.endswith('"'):
                value = unescape(value[1:-1])
            current[name.lower()] = value
    return keys


def key(hive, name):
    return registry(hive).get(name.lower())


def mentions_us(hive):
    """Keys or values of HIVE that name the package or its folder."""
    marks = ("z917journalconverter", PROGID.lower(), "z917 journal converter",
             "z917-converter.exe", "z917conv.exe")
    found = []
    for name, values in registry(hive).items():
        texts = [name] + [f"{k}={v}" for k, v in values.items()]
        found += [t for t in texts if any(m in t.lower() for m in marks)]
    return found


def start_menu(all_users):
    if all_users:
        return DRIVE_C / "ProgramData/Microsoft/Windows/Start Menu/Programs"
    return DRIVE_C / "users" / os.environ.get("USER", "root") / \
        "AppData/Roaming/Microsoft/Windows/Start Menu/Programs"


def shortcuts():
    return sorted(str(p.relative_to(DRIVE_C)) for p in DRIVE_C.rglob("Z917*.lnk"))


def run_build_and_installed(folder):
    """A z917gen journal converted by the installed z917conv.exe and by the
    build's, to XML and .xls: the files must be the same."""
    journal = WORK / "журнал.bin"
    made = wine(BUILD_BIN / "z917gen.exe", "--packets", 2000, "--seed", 5, journal)
    check(made.returncode == 0 and journal.exists(), "z917gen.exe writes a journal", made)
    for ext in ("xml", "xls"):
        ours, theirs = WORK / f"установленная.{ext}", WORK / f"сборка.{ext}"
        for f in (ours, theirs):
            f.unlink(missing_ok=True)
        a = wine(folder / "z917conv.exe", journal, ours)
        b = wine(BUILD_BIN / "z917conv.exe", journal, theirs)
        same = ours.exists() and theirs.exists() and ours.read_bytes() == theirs.read_bytes()
        check(a.returncode == 0 and b.returncode == 0 and same,
              f"the installed z917conv.exe writes the build's .{ext}", a, b)


def clean_up(folder):
    """Whatever an earlier, failed run left."""
    shutil.rmtree(folder, ignore_errors=True)
    for lnk in DRIVE_C.rglob("Z917*.lnk"):
        lnk.unlink()
    for root in ("HKCU", "HKLM"):
        for k in (UNINSTALL_KEY, rf"Software\Classes\{PROGID}", r"Software\Classes\.bin"):
            wine("reg", "delete", rf"{root}\{k}", "/f")


def install_and_uninstall(mode, associate, foreign_default=None):
    all_users = mode == "/AllUsers"
    hive = "HKLM" if all_users else "HKCU"
    what = f"{mode}{' /ASSOCIATE' if associate else ''}" + \
        (f" beside {foreign_default}" if foreign_default else "")
    # No blank in it: Wine quotes an argument with one, and NSIS takes /D=
    # only unquoted.
    name = f"Z917-{'все' if all_users else 'я'}"
    folder = DRIVE_C / PARENT / name
    clean_up(folder)
    (DRIVE_C / PARENT).mkdir(exist_ok=True)
    if foreign_default:
        wine("reg", "add", r"HKCU\Software\Classes\.bin", "/ve", "/d", foreign_default, "/f")
    settle()
    before = set(registry("HKCU")) | {"hklm:" + k for k in registry("HKLM")}

    args = [mode] + (["/ASSOCIATE"] if associate else []) + ["/S", rf"/D=C:\{PARENT}\{name}"]
    result = wine(SETUP, *args)
    settle()
    check(result.returncode == 0, f"{what}: the installer reports success", result)
    got = {p.name for p in folder.iterdir()} if folder.is_dir() else set()
    check(got == PROGRAMS | {"uninstall.exe"}, f"{what}: the programs in the folder: {sorted(got)}")
    lnk = start_menu(all_users) / SHORTCUT
    check(shortcuts() == [str(lnk.relative_to(DRIVE_C))],
          f"{what}: one Start-menu shortcut, {SHORTCUT}: {shortcuts()}")
    target = "z917-converter.exe".encode("utf-16-le")
    check(lnk.exists() and target in lnk.read_bytes(), f"{what}: the shortcut starts the window")

    entry = key(hive, UNINSTALL_KEY) or {}
    windows_folder = rf"C:\{PARENT}\{name}"
    check(entry.get("displayname") == "Z917 Journal Converter"
          and entry.get("installlocation") == windows_folder
          and entry.get("uninstallstring") == rf'"{windows_folder}\uninstall.exe" {mode}'
          and entry.get("quietuninstallstring") == rf'"{windows_folder}\uninstall.exe" {mode} /S'
          and bool(entry.get("displayversion")),
          f"{what}: the entry in Programs and Features under {hive}: {entry}")
    other = "HKCU" if all_users else "HKLM"
    check(key(other, UNINSTALL_KEY) is None, f"{what}: no entry under {other}")

    classes = rf"Software\Classes"
    command = (key(hive, rf"{classes}\{PROGID}\shell\open\command") or {}).get("")
    bin_key = key("HKCU", rf"{classes}\.bin") or key("HKLM", rf"{classes}\.bin") or {}
    with_progids = key(hive, rf"{classes}\.bin\OpenWithProgids") or {}
    if associate:
        check(command == rf'"{windows_folder}\z917-converter.exe" "%1"',
              f"{what}: {PROGID} opens with the window: {command}")
        check(PROGID.lower() in with_progids, f"{what}: the window is in .bin's Open with")
        check(bin_key.get("") == (foreign_default or PROGID),
              f"{what}: .bin opens with {foreign_default or PROGID}: {bin_key}")
    else:
        check(command is None and not with_progids and not bin_key,
              f"{what}: no .bin association unless asked for")

    if mode == "/CurrentUser" and not associate:
        run_build_and_installed(folder)

    quiet = entry.get("quietuninstallstring", "")
    m = re.match(r'^"C:\\(.*)" (.*)$', quiet)
    check(m is not None, f"{what}: the quiet uninstall command reads as a program and options")
    if m:
        wine(DRIVE_C / m.group(1).replace("\\", "/"), *m.group(2).split())
        settle()
    check(not folder.exists(), f"{what}: the uninstaller removes the program's folder")
    check((DRIVE_C / PARENT).is_dir(), f"{what}: the folder it was in stays")
    check(shortcuts() == [], f"{what}: no shortcut left: {shortcuts()}")
    check(mentions_us("HKCU") == [] and mentions_us("HKLM") == [],
          f"{what}: no registry key or value names the package: "
          f"{mentions_us('HKCU') + mentions_us('HKLM')}")
    # An empty Uninstall or Classes key may stay where the prefix had none:
    # Windows keeps those keys whatever is installed.
    now = {**registry("HKCU"), **{"hklm:" + k: v for k, v in registry("HKLM").items()}}
    ours = [k for k in set(now) - before if now[k] and ("classes" in k or "uninstall" in k)]
    check(ours == [], f"{what}: no new class or uninstall key with values: {ours}")
    if foreign_default:
        check((key("HKCU", rf"{classes}\.bin") or {}).get("") == foreign_default,
              f"{what}: .bin still opens with {foreign_default}")
        wine("reg", "delete", r"HKCU\Software\Classes\.bin", "/f")


def check_zip():
    with zipfile.ZipFile(ZIP) as z:
        names = z.namelist()
        top = names[0].split("/")[0]
        files = {n.split("/", 1)[1] for n in names if not n.endswith("/")}
        check(all(n.startswith(top + "/") for n in names) and files == PROGRAMS,
              f"the .zip holds one folder with the programs and README.txt: {names}")
        readme = z.read(f"{top}/README.txt") if "README.txt" in files else b""
        check(readme.startswith(b"\xef\xbb\xbf") and b"\r\n" in readme
              and b"\n" not in readme.replace(b"\r\n", b""),
              "README.txt: UTF-8 with a byte-order mark, CRLF line ends")
        check("Z917 Journal Converter" in readme.decode("utf-8-sig", "replace")
              and "z917conv.exe" in readme.decode("utf-8-sig", "replace"),
              "README.txt names the product and the converter")
        unpacked = WORK / "zip"
        shutil.rmtree(unpacked, ignore_errors=True)
        z.extractall(unpacked)
    version = wine(unpacked / top / "z917conv.exe", "--version")
    build = wine(BUILD_BIN / "z917conv.exe", "--version")
    check(version.returncode == 0 and version.stdout == build.stdout,
          f"z917conv.exe from the .zip runs: {version.stdout[:60]!r}", version, build)


def main():
    WORK.mkdir(parents=True, exist_ok=True)
    check_zip()
    install_and_uninstall("/CurrentUser", associate=False)
    install_and_uninstall("/AllUsers", associate=True)
    install_and_uninstall("/CurrentUser", associate=True, foreign_default="Other.Journal")
    if failures:
        print(f"{len(failures)} failed")
    sys.exit(1 if failures else 0)


main()
