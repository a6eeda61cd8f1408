"""Checks that an .xlsx package holds together, without any reader's
leniency: the zip tests clean, every part parses as XML and has a content
type, every relationship points at a part that is there, and worksheet
cells carry their addresses with rows ascending, styles and shared strings
that exist. Takes the file, or a folder that holds the parts as they would
be zipped. Prints "ok", or one line on what is wrong and exits with 1."""
import posixpath
import re
import sys
import zipfile
from pathlib import Path
from xml.etree import ElementTree

CT = "{http://schemas.openxmlformats.org/package/2006/content-types}"
REL = "{http://schemas.openxmlformats.org/package/2006/relationships}"
MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
WORKSHEET_TYPE = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"
CELL = re.compile(r"([A-Z]{1,3})([0-9]+)$")


class Broken(Exception):
    pass


def read_parts(path):
    """The package's parts by name."""
    if path.is_dir():
        return {p.relative_to(path).as_posix(): p.read_bytes()
                for p in path.rglob("*") if p.is_file()}
    with zipfile.ZipFile(path) as package:
        bad = package.testzip()
        if bad is not None:
            raise Broken(f"{bad}: damaged in the zip")
        return {info.filename: package.read(info)
                for info in package.infolist() if not info.is_dir()}


def parse_all(parts):
    trees = {}
    for name, data in parts.items():
        try:
            trees[name] = ElementTree.fromstring(data)
        except ElementTree.ParseError as error:
            raise Broken(f"{name}: not well-formed XML: {error}")
    return trees


def content_types(parts, trees):
    """The content type of each part; every part must have one."""
    if "[Content_Types].xml" not in trees:
        raise Broken("[Content_Types].xml missing")
    types = trees["[Content_Types].xml"]
    defaults = {d.get("Extension").lower(): d.get("ContentType")
                for d in types.iter(CT + "Default")}
    overrides = {o.get("PartName").lower(): o.get("ContentType")
                 for o in types.iter(CT + "Override")}
    found = {}
    for name in parts:
        if name == "[Content_Types].xml":
            continue
        base = posixpath.basename(name)  # ".rels" is all extension
        extension = base.rsplit(".", 1)[1].lower() if "." in base else ""
        found[name] = overrides.get("/" + name.lower(), defaults.get(extension))
        if found[name] is None:
            raise Broken(f"{name}: no content type")
    for part in overrides:
        if part[1:] not in {n.lower() for n in parts}:
            raise Broken(f"[Content_Types].xml: override for missing part {part}")
    return found


def check_relationships(parts, trees):
    for name, tree in trees.items():
        if not name.endswith(".rels"):
            continue
        folder = posixpath.dirname(posixpath.dirname(name))  # the source's folder
        for rel in tree.iter(REL + "Relationship"):
            if rel.get("TargetMode") == "External":
                continue
            target = rel.get("Target")
            resolved = (target[1:] if target.startswith("/")
                        else posixpath.normpath(posixpath.join(folder, target)))
            if resolved not in parts:
                raise Broken(f"{name}: {rel.get('Id')} points at missing {resolved}")


def column_number(letters):
    number = 0
    for letter in letters:
        number = number * 26 + ord(letter) - ord("A") + 1
    return number


def check_cell(name, row_number, last_column, cell, styles, strings):
    match = CELL.match(cell.get("r") or "")
    if not match or int(match.group(2)) != row_number:
        raise Broken(f"{name}: cell {cell.get('r')!r} in row {row_number}")
    column = column_number(match.group(1))
    if column <= last_column:
        raise Broken(f"{name}: cell {cell.get('r')} out of order")
    if int(cell.get("s", "0")) >= styles:
        raise Broken(f"{name}: cell {cell.get('r')} has style {cell.get('s')}, "
                     f"styles.xml has {styles}")
    value = cell.find(MAIN + "v")
    if cell.get("t") == "s" and (value is None or int(value.text) >= strings):
        raise Broken(f"{name}: cell {cell.get('r')} names a missing shared string")
    return column


def check_worksheet(name, tree, styles, strings):
    last_row = 0
    for row in tree.iter(MAIN + "row"):
        number = int(row.get("r") or 0)
        if number <= last_row:
            raise Broken(f"{name}: row {row.get('r')!r} after row {last_row}")
        last_row = number
        if int(row.get("s", "0")) >= styles:
            raise Broken(f"{name}: row {number} has style {row.get('s')}, "
                         f"styles.xml has {styles}")
        last_column = 0
        for cell in row.iter(MAIN + "c"):
            last_column = check_cell(name, number, last_column, cell, styles, strings)


def check(path):
    parts = read_parts(path)
    trees = parse_all(parts)
    types = content_types(parts, trees)
    check_relationships(parts, trees)
    styles = trees.get("xl/styles.xml")
    xfs = styles.find(MAIN + "cellXfs") if styles is not None else None
    style_count = len(xfs) if xfs is not None else 1
    strings = trees.get("xl/sharedStrings.xml")
    string_count = len(strings) if strings is not None else 0
    for name, tree in trees.items():
        if types.get(name) == WORKSHEET_TYPE:
            check_worksheet(name, tree, style_count, string_count)


def main(path):
    try:
        check(Path(path))
    except (Broken, zipfile.BadZipFile, OSError, ValueError) as error:
        print(f"{path}: {error}")
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
