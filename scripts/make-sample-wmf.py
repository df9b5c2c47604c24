#!/usr/bin/env python3
"""Writes the sample's WMF picture (the fraction three quarters) record by record.

A WMF is how equations made with the older equation editor arrive; this one is drawn for the
project from the documented records: the placeable header, the metafile header, a font, a pen,
two texts and a fraction bar. Usage: make-sample-wmf.py OUT.wmf
"""
import struct
import sys

INCH = 1440            # units per inch in the placeable header
WIDTH, HEIGHT = 2400, 1800  # 5/3 by 5/4 inch: 160 by 120 pixels at 96 DPI


def record(function, *words, raw=b""):
    body = b"".join(struct.pack("<h", w) for w in words) + raw
    assert len(body) % 2 == 0
    return struct.pack("<IH", 3 + len(body) // 2, function) + body


def text_out(x, y, text):
    data = text.encode("ascii")
    if len(data) % 2:
        data += b"\0"
    return record(0x0521, len(text.encode("ascii")), raw=data + struct.pack("<hh", y, x))


def main():
    face = b"Times New Roman".ljust(32, b"\0")
    font = struct.pack("<5h8B", -700, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0) + face
    pen = struct.pack("<HhhI", 0, 60, 0, 0x000000)
    records = [
        record(0x0103, 8),                  # SETMAPMODE: anisotropic
        record(0x020B, 0, 0),               # SETWINDOWORG
        record(0x020C, HEIGHT, WIDTH),      # SETWINDOWEXT
        record(0x0102, 1),                  # SETBKMODE: transparent
        record(0x02FB, raw=font),           # CREATEFONTINDIRECT: object 0
        record(0x012D, 0),                  # SELECTOBJECT 0
        record(0x02FA, raw=pen),            # CREATEPENINDIRECT: object 1
        record(0x012D, 1),                  # SELECTOBJECT 1
        text_out(1000, 100, "3"),
        record(0x0214, 900, 500),           # MOVETO
        record(0x0213, 900, 1900),          # LINETO: the fraction bar
        text_out(1000, 1000, "4"),
        record(0x0000),                     # EOF
    ]
    body = b"".join(records)
    max_record = max(len(r) // 2 for r in records)
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(body)) // 2, 2, max_record, 0)
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, WIDTH, HEIGHT, INCH, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", placeable):
        checksum ^= word
    with open(sys.argv[1], "wb") as out:
        out.write(placeable + struct.pack("<H", checksum) + header + body)


if __name__ == "__main__":
    main()
