#!/usr/bin/env python3
"""Writes a corpus of tagged FLAC or M4A files for the benchmarks of --all-formats.

usage: make_formats_corpus.py N DIR [--format flac|m4a] [--seed S]

Nested folders of about 20 files (3 levels). The files are made here, byte by byte, with
what a tagger leaves in them: FLAC with a stream info block, a seek table, the Vorbis comment
(UTF-8 titles, some traditional, one in ten GBK bytes widened as old Windows tools wrote
them), 0-4 KB of padding and, for one in twenty, a 100 KB picture after the comment; M4A with
the moov box first (as iTunes writes it: sample tables of 10-40 KB, then udta/meta/ilst with
the title and artist) and the mdat box after it. The audio is a sparse hole to about 4 MB,
so the corpus takes little disk but each file has the size of a song. Standard library only.
"""
import argparse
import os
import random
import struct

SIMPLIFIED = ["小雨", "心雨", "吻别", "红豆", "爱你一万年", "一千年以后", "月亮代表我的心", "后来"]
TRADITIONAL = ["童話", "愛情", "張學友", "聽海", "練習", "時間"]
ARTISTS = ["刘德华", "张学友", "王菲", "林俊杰", "周杰伦", "Beyond"]
AUDIO_SIZE = 4 * 1024 * 1024


def title_for(rng, index):
    base = rng.choice(SIMPLIFIED + TRADITIONAL)
    return f"{index % 100:02d}.{base}{index}"


def widened(text):
    """GBK bytes each taken for a Latin-1 character, as UTF-8."""
    return text.encode("gbk").decode("latin-1")


def vorbis_comment(fields):
    vendor = b"reference libFLAC 1.4.2"
    out = struct.pack("<I", len(vendor)) + vendor + struct.pack("<I", len(fields))
    for name, value in fields:
        entry = f"{name}={value}".encode("utf-8")
        out += struct.pack("<I", len(entry)) + entry
    return out


def flac_block(kind, body, last=False):
    return bytes([kind | (0x80 if last else 0)]) + struct.pack(">I", len(body))[1:] + body


def flac_file(rng, title, artist):
    blocks = [flac_block(0, bytes(34)), flac_block(3, bytes(18 * rng.randint(10, 100))),
              flac_block(4, vorbis_comment([("TITLE", title), ("ARTIST", artist)]))]
    if rng.random() < 0.05:
        blocks.append(flac_block(6, bytes(100 * 1024)))
    blocks.append(flac_block(1, bytes(rng.randint(0, 4096)), last=True))
    return b"fLaC" + b"".join(blocks)


def box(kind, body):
    return struct.pack(">I", len(body) + 8) + kind + body


def item(kind, text):
    data = struct.pack(">II", 1, 0) + text.encode("utf-8")
    return box(kind, box(b"data", data))


def m4a_head(rng, title, artist):
    ilst = box(b"ilst", item(b"\xa9nam", title) + item(b"\xa9ART", artist))
    meta = box(b"meta", bytes(4) + box(b"hdlr", bytes(8) + b"mdir" + bytes(13)) + ilst)
    stbl = box(b"stbl", bytes(rng.randint(10, 40) * 1024))
    trak = box(b"trak", box(b"mdia", box(b"hdlr", bytes(8) + b"soun" + bytes(13)) +
                            box(b"minf", stbl)))
    moov = box(b"moov", box(b"mvhd", bytes(100)) + trak + box(b"udta", meta))
    ftyp = box(b"ftyp", b"M4A " + bytes(4) + b"M4A mp42isom")
    mdat_header = struct.pack(">I", AUDIO_SIZE) + b"mdat"
    return ftyp + moov + mdat_header


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("count", type=int)
    parser.add_argument("folder")
    parser.add_argument("--format", choices=["flac", "m4a"], default="flac")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    for index in range(args.count):
        folder = os.path.join(args.folder, f"{index // 400:02d}", f"{index // 20 % 20:02d}")
        os.makedirs(folder, exist_ok=True)
        title = title_for(rng, index)
        artist = rng.choice(ARTISTS)
        if index % 10 == 0:
            title, artist = widened(title.replace("童話", "童话")
                                    .replace("愛情", "爱情").replace("張學友", "张学友")
                                    .replace("聽海", "听海").replace("練習", "练习")
                                    .replace("時間", "时间")), widened(artist)
        if args.format == "flac":
            head = flac_file(rng, title, artist)
        else:
            head = m4a_head(rng, title, artist)
        path = os.path.join(folder, f"track{index:05d}.{args.format}")
        with open(path, "wb") as out:
            out.write(head)
            out.truncate(len(head) + AUDIO_SIZE)
    print(f"{args.count} {args.format} files in {args.folder}")


if __name__ == "__main__":
    main()
