"""Packs the program's PNG icons into one Windows .ico: sizes below 256 as
32-bit bitmaps with an AND mask (what every Windows version and resource
tool reads), 256x256 as PNG (how Windows stores its large icons). With no
16x16 given, it is made from the 32x32 by averaging 2x2 blocks, so that
title bars and the taskbar get a drawn icon rather than one Windows
shrinks on the fly. Only the standard library: the build runs it.

Usage: make_ico.py OUT.ico PNG...   (8-bit RGBA PNGs, square, 16..256)
Fails with a message and status 1 on any other PNG.
"""
import os
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class IconError(Exception):
    pass


def png_chunks(data):
    if not data.startswith(PNG_SIGNATURE):
        raise IconError("not a PNG file")
    pos = len(PNG_SIGNATURE)
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, width, height):
    """The PNG scanline filters undone: rows of RGBA bytes, top row first."""
    stride, rows, prior = width * 4, [], bytearray(width * 4)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up, up_left = prior[i], (prior[i - 4] if i >= 4 else 0)
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                line[i] = (line[i] + paeth(left, up, up_left)) & 0xFF
            elif kind != 0:
                raise IconError(f"unknown PNG filter {kind}")
        rows.append(line)
        prior = line
    return rows


def read_png(path):
    """(size, rows of RGBA bytes, the file's bytes) of a square RGBA PNG."""
    data = open(path, "rb").read()
    header, idat = None, b""
    for kind, body in png_chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    if header is None:
        raise IconError("no IHDR chunk")
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        raise IconError("only 8-bit RGBA non-interlaced PNGs are read")
    if width != height or not 16 <= width <= 256:
        raise IconError(f"{width}x{height}: icons are square, 16 to 256 pixels")
    return width, unfilter(zlib.decompress(idat), width, height), data


def halve(rows):
    """Each 2x2 block averaged, colours weighted by their alpha."""
    out = []
    for y in range(0, len(rows), 2):
        line = bytearray()
        for x in range(0, len(rows[0]), 8):
            px = [rows[y + dy][x + dx * 4:x + dx * 4 + 4] for dy in (0, 1) for dx in (0, 1)]
            alpha = sum(p[3] for p in px)
            for c in range(3):
                line.append(sum(p[c] * p[3] for p in px) // alpha if alpha else 0)
            line.append((alpha + 2) // 4)
        out.append(line)
    return out


def bitmap_image(size, rows):
    """A 32-bit BGRA DIB, bottom row first, then its 1-bit AND mask."""
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = line[x * 4:x * 4 + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return info + bytes(pixels) + bytes(mask)


def icon_file(images):
    """ICONDIR, one entry per (size, image bytes), then the images."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(image for _, image in images)


def build(pngs):
    read = {}
    for path in pngs:
        try:
            size, rows, data = read_png(path)
        except (IconError, zlib.error, struct.error, IndexError) as e:
            raise IconError(f"{path}: {e}") from None
        read[size] = (rows, data)
    if 16 not in read and 32 in read:
        read[16] = (halve(read[32][0]), None)
    images = []
    for size in sorted(read):
        rows, data = read[size]
        images.append((size, data if size == 256 else bitmap_image(size, rows)))
    return icon_file(images)


def main():
    if len(sys.argv) < 3:
        print("usage: make_ico.py OUT.ico PNG...", file=sys.stderr)
        sys.exit(2)
    try:
        icon = build(sys.argv[2:])
    except (IconError, OSError) as e:
        print(f"make_ico: {e}", file=sys.stderr)
        sys.exit(1)
    # Beside the target first, so a failed write leaves no half icon.
    out = sys.argv[1]
    with open(out + ".part", "wb") as f:
        f.write(icon)
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main()
