#!/usr/bin/python3
"""Writes the hand-made seeds of the fuzz corpus: small journals, each
damaged in one way the decoder and the driver must survive."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "tests/fuzz/corpus"
os.makedirs(out, exist_ok=True)


def packet(ptype, body, body_length=None, stamp=(1, 1, 1, 400000000, 1)):
    n = len(body) if body_length is None else body_length
    return struct.pack("<HBHHBII", n, ptype, *stamp) + body


def goods_line(name=b"\xd1\xe8\xf0", refund=b"", length=None):
    rec = struct.pack("<BBBQIIIB", 0, 0, 0, (123456 << 20) | 789, 1500, 2599, 3899, 0xC9)
    rec += refund + b"\0" + name + b"\0"
    return bytes([len(rec) if length is None else length]) + rec[1:]


cash = packet(4, struct.pack("<II", 150000, 250000) + "Касир 1".encode("cp1251") + b"\0")
sale = packet(0, bytes([4, 2, 0xAA, 0xBB]) + goods_line())
check = packet(9, bytes([0, 0x05]) + struct.pack("<II", 1000, 2000))
zrep = packet(6, bytes(29) + struct.pack("<HH", 3, 1) + b"\xff" * 20 + bytes(36) + bytes(20)
              + bytes(36) + bytes(56) + struct.pack("<6I", 1, 2, 3, 4, 5, 6) + b"Z\0")
goods = packet(7, bytes([2]) + struct.pack("<Q", 99) + struct.pack("<QII", 5 << 20, 1000, 0xFFFFFFFF) * 2
               + b"\0\0K\0")

seeds = {
    "valid_mix": cash + sale + check + zrep + goods,
    "short_last_body": cash + sale[:-5],
    "stray_bytes": cash + b"\x01\x02\x03",
    "zero_length_body": packet(4, b"") + cash,
    "unknown_type": cash + packet(11, b"xx"),
    "body_shorter_than_layout": packet(6, b"\x01\x02\x03") + packet(7, b"\xff"),
    "string_without_zero": packet(4, struct.pack("<II", 1, 2) + b"A" * 200),
    "goods_255_lines_short": packet(8, bytes([255]) + bytes(40)),
    "goods_255_lines_full": packet(7, bytes([255]) + bytes(8) + bytes(16 * 255) + b"\0\0" + b"N" * 50 + b"\0"),
    "sales_record_length_0": packet(1, bytes([0, 3, 0, 0])),
    "sales_record_length_1": packet(2, bytes([1, 1])),
    "sales_invalid_type": packet(3, goods_line() + bytes([4, 9, 0, 0])),
    "sales_long_names": packet(1, goods_line(name=b"G" * 80, refund=b"R" * 80)),
    "sales_line_past_body": packet(0, goods_line()[:7]),
    "check_mask_ff": packet(10, bytes([0, 0xFF]) + b"\xff" * 28),
    "check_mask_short": packet(9, bytes([0, 0x7F, 1])),
    "huge_body_length": struct.pack("<HBHHBII", 65535, 0, 1, 1, 1, 0, 0) + bytes(100),
    "max_body": packet(0, bytes([3, 1, 0]) * 21845),
    "header_only": cash[:16],
}
for name, data in seeds.items():
    with open(os.path.join(out, name + ".bin"), "wb") as f:
        f.write(data)
print(f"wrote {len(seeds)} seeds to {out}")
