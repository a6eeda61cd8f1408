"""Packs the built programs into a .deb with cpack, unpacks it with dpkg and
checks what it holds, that its z917conv converts, and that lintian finds
no errors in it.

Usage: check_deb.py CPACK CPACK_CONFIG SAMPLE_JOURNAL WORK_DIR PROGRAM...
"""
import glob
import os
import shutil
import subprocess
import sys

# Besides the programs; the window's files go in only with the window.
FILES = ["usr/share/man/man1/z917conv.1.gz",
         "usr/share/doc/z917-converter/copyright",
         "usr/share/doc/z917-converter/changelog.gz"]
WINDOW_FILES = ["usr/share/man/man1/z917-converter.1.gz",
                "usr/share/applications/z917-converter.desktop"] + [
    "usr/share/icons/hicolor/%dx%d/apps/z917-converter.png" % (s, s)
    for s in (32, 48, 64, 128, 256)]
# What a converted file starts with, by its ending.
MAGIC = {"xml": b"<?xml", "xlsx": b"PK\x03\x04"}


def main(cpack, config, journal, work, programs):
    shutil.rmtree(work, ignore_errors=True)
    subprocess.run([cpack, "-G", "DEB", "--config", config, "-B", work],
                   check=True, stdout=subprocess.DEVNULL)
    debs = glob.glob(os.path.join(work, "z917-converter_*_amd64.deb"))
    assert len(debs) == 1, debs
    root = os.path.join(work, "root")
    subprocess.run(["dpkg", "-x", debs[0], root], check=True)

    # Exactly the programs in /usr/bin: none of the developers' tools.
    installed = sorted(os.listdir(os.path.join(root, "usr/bin")))
    assert installed == sorted(programs), installed
    expected = FILES + (WINDOW_FILES if "z917-converter" in programs else [])
    missing = [f for f in expected if not os.path.isfile(os.path.join(root, f))]
    assert not missing, missing

    for ending, magic in MAGIC.items():
        output = os.path.join(work, "sample." + ending)
        subprocess.run([os.path.join(root, "usr/bin/z917conv"), journal, output],
                       check=True, stdout=subprocess.DEVNULL)
        with open(output, "rb") as f:
            assert f.read(len(magic)) == magic, output

    lint = subprocess.run(["lintian", debs[0]], capture_output=True, text=True)
    print(lint.stdout, end="")
    errors = [line for line in lint.stdout.splitlines() if line.startswith("E:")]
    assert not errors and lint.returncode == 0, lint.stderr
    print("check_deb: %s holds what it should and lintian finds no errors" %
          os.path.basename(debs[0]))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:])
