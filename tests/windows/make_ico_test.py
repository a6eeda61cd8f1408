"""tools/make_ico.py against PNGs written here with every scanline filter:
the icon's bitmaps hold exactly the PNG's pixels, its 16x16 is the 32x32's
2x2 averages, its 256x256 is the PNG itself, and a PNG it cannot read is
refused with a message and no icon file.

Usage: make_ico_test.py SOURCE_DIR WORK_DIR
"""
import random
import struct
import subprocess
import sys
import unittest
import zlib
from pathlib import Path

SOURCE, WORK = Path(sys.argv[1]), Path(sys.argv[2])
MAKE_ICO = SOURCE / "tools" / "make_ico.py"


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def predictor(kind, left, up, up_left):
    return [0, left, up, (left + up) // 2, paeth(left, up, up_left)][kind]


def write_png(path, size, rows, colour_type=6):
    """Row y is stored with filter y % 5, so every filter is met."""
    channels = 4 if colour_type == 6 else 3
    raw, prior = b"", bytes(size * channels)
    for y, row in enumerate(rows):
        kind, line = y % 5, bytearray()
        for i, value in enumerate(row):
            left = row[i - channels] if i >= channels else 0
            up_left = prior[i - channels] if i >= channels else 0
            line.append((value - predictor(kind, left, prior[i], up_left)) & 0xFF)
        raw += bytes([kind]) + bytes(line)
        prior = row

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", size, size, 8, colour_type, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                     chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def random_rows(size, seed, channels=4):
    rng = random.Random(seed)
    rows = [bytes(rng.randrange(256) for _ in range(size * channels)) for _ in range(size)]
    # Some fully transparent pixels, for the AND mask.
    return [bytes(0 if (i % 4 == 3 and (i // 4 + y) % 7 == 0) else v for i, v in enumerate(row))
            for y, row in enumerate(rows)]


def read_icon(path):
    """{size: image bytes} from an .ico."""
    data = path.read_bytes()
    _, kind, count = struct.unpack("<HHH", data[:6])
    assert kind == 1
    images = {}
    for i in range(count):
        w, _, _, _, _, bits, length, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        assert bits == 32
        images[w or 256] = data[offset:offset + length]
    return images


def bitmap_pixels(image, size):
    """Top row first RGBA rows and the AND mask rows of a 32-bit icon bitmap."""
    header = struct.unpack("<IiiHHIIiiII", image[:40])
    assert header[:5] == (40, size, size * 2, 1, 32)
    stride, mask_stride = size * 4, ((size + 31) // 32) * 4
    rows, masks = [], []
    for y in range(size):
        bgra = image[40 + y * stride:40 + (y + 1) * stride]
        rows.append(bytes(v for i in range(0, stride, 4)
                          for v in (bgra[i + 2], bgra[i + 1], bgra[i], bgra[i + 3])))
        start = 40 + size * stride + y * mask_stride
        masks.append(image[start:start + mask_stride])
    return rows[::-1], masks[::-1]


def make_ico(*pngs):
    out = WORK / "program.ico"
    out.unlink(missing_ok=True)
    result = subprocess.run(["/usr/bin/python3", str(MAKE_ICO), str(out), *map(str, pngs)],
                            capture_output=True, text=True)
    return result, out


class MakeIco(unittest.TestCase):
    def test_bitmaps_hold_the_png_pixels_and_the_mask_marks_transparent_ones(self):
        rows32, rows48 = random_rows(32, 1), random_rows(48, 2)
        write_png(WORK / "32.png", 32, rows32)
        write_png(WORK / "48.png", 48, rows48)
        result, out = make_ico(WORK / "32.png", WORK / "48.png")
        self.assertEqual(result.returncode, 0, result.stderr)
        images = read_icon(out)
        self.assertEqual(sorted(images), [16, 32, 48])
        for size, rows in ((32, rows32), (48, rows48)):
            got, masks = bitmap_pixels(images[size], size)
            self.assertEqual(got, rows, f"{size}x{size} pixels")
            for y in range(size):
                for x in range(size):
                    transparent = bool(masks[y][x // 8] & (0x80 >> (x % 8)))
                    self.assertEqual(transparent, rows[y][x * 4 + 3] == 0, f"mask at {x},{y}")

    def test_16_is_the_32_averaged_by_alpha_and_256_is_kept_as_png(self):
        # Left half opaque red, right half: one opaque blue pixel in each
        # 2x2 block beside three transparent ones.
        rows = []
        for y in range(32):
            row = bytearray()
            for x in range(32):
                if x < 16:
                    row += bytes((255, 0, 0, 255))
                else:
                    row += bytes((0, 0, 255, 255)) if x % 2 == 0 and y % 2 == 0 else bytes(4)
            rows.append(bytes(row))
        write_png(WORK / "32.png", 32, rows)
        write_png(WORK / "256.png", 256, [bytes(256 * 4)] * 256)
        result, out = make_ico(WORK / "32.png", WORK / "256.png")
        self.assertEqual(result.returncode, 0, result.stderr)
        images = read_icon(out)
        self.assertEqual(images[256], (WORK / "256.png").read_bytes())
        small, _ = bitmap_pixels(images[16], 16)
        self.assertEqual(small[5][2 * 4:3 * 4], bytes((255, 0, 0, 255)))
        # Colour from the one opaque pixel alone, alpha a quarter.
        self.assertEqual(small[5][12 * 4:13 * 4], bytes((0, 0, 255, 64)))

    def test_a_png_it_cannot_read_is_refused_without_an_icon(self):
        write_png(WORK / "rgb.png", 32, random_rows(32, 3, channels=3), colour_type=2)
        (WORK / "text.png").write_text("not a picture")
        for name, reason in (("rgb.png", "only 8-bit RGBA non-interlaced PNGs are read"),
                             ("text.png", "not a PNG file")):
            result, out = make_ico(WORK / name)
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stderr.strip(), f"make_ico: {WORK / name}: {reason}")
            self.assertFalse(out.exists())
            self.assertFalse(Path(str(out) + ".part").exists())


if __name__ == "__main__":
    WORK.mkdir(parents=True, exist_ok=True)
    unittest.main(argv=sys.argv[:1])
