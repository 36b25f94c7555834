#!/usr/bin/env python3
"""Turns an icon drawn as letters into PNG files, one per size.

    pixelart.py ART OUTPUT_DIR

ART is a text file: '#' lines are comments; a line "palette" starts the colours, one a line
as a letter and RRGGBB (or "transparent"); a line "size N" starts a picture of N rows of N
letters. Writes OUTPUT_DIR/<name of ART>-<N>.png for every picture, 32-bit RGBA. The output
depends on nothing but the art, so the same art always gives the same bytes.
"""
import os
import struct
import sys
import zlib


def parse(path):
    palette, pictures, current, section = {}, {}, None, None
    with open(path, encoding="utf-8") as art:
        for number, line in enumerate(art, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            words = line.split()
            if words == ["palette"]:
                section = "palette"
            elif words[0] == "size" and len(words) == 2:
                section, current = "picture", int(words[1])
                pictures[current] = []
            elif section == "palette" and len(words) == 2 and len(words[0]) == 1:
                palette[words[0]] = None if words[1] == "transparent" else bytes.fromhex(words[1])
            elif section == "picture":
                if len(line) != current or any(letter not in palette for letter in line):
                    sys.exit(f"{path}:{number}: a row of {current} letters of the palette expected")
                pictures[current].append(line)
            else:
                sys.exit(f"{path}:{number}: cannot read {line!r}")
    for size, rows in pictures.items():
        if len(rows) != size:
            sys.exit(f"{path}: the {size} x {size} picture has {len(rows)} rows")
    return palette, pictures


def png(rows, palette):
    raw = b"".join(
        b"\0" + b"".join(b"\0\0\0\0" if palette[c] is None else palette[c] + b"\xff" for c in row)
        for row in rows)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    art, output = sys.argv[1:]
    palette, pictures = parse(art)
    name = os.path.splitext(os.path.basename(art))[0]
    os.makedirs(output, exist_ok=True)
    for size, rows in pictures.items():
        with open(os.path.join(output, f"{name}-{size}.png"), "wb") as out:
            out.write(png(rows, palette))


if __name__ == "__main__":
    main()
