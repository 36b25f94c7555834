#!/usr/bin/env python3
"""Writes N MP3 files whose tags the tag repair rewrites, 20 a folder: ID3v2.3 tags whose
title, artist and album frames (ISO-8859-1) hold GBK or Big5 bytes, one MPEG frame of audio
and 256 KiB more of bytes, and an ID3v1 tag. Kind "inplace": 512 bytes of padding, which
takes the new frames; kind "rewrite": a 100 KiB picture after the frames and no padding, so
that every file is written anew."""
import os
import random
import struct
import sys

WORDS = "爱你一万年小雨心情故事月亮代表我的心童年红豆后来晴天说谎朋友时间海阔天空"
TRADITIONAL = {"爱": "愛", "万": "萬", "年": "年", "后": "後", "来": "來", "说": "說",
               "谎": "謊", "时": "時", "间": "間", "阔": "闊", "红": "紅", "豆": "豆"}


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frame(fid, data):
    return fid.encode() + struct.pack(">I", len(data)) + b"\0\0" + data


def text(rng):
    words = "".join(rng.choice(WORDS) for _ in range(rng.randint(2, 6)))
    if rng.random() < 0.3:
        return "".join(TRADITIONAL.get(c, c) for c in words).encode("big5", "ignore")
    return words.encode("gbk")


def song(rng, kind):
    title, artist, album = text(rng), text(rng), text(rng)
    frames = [frame("TIT2", b"\0" + title), frame("TPE1", b"\0" + artist),
              frame("TALB", b"\0" + album)]
    padding = 512
    if kind == "rewrite":
        frames.append(frame("APIC", b"\0image/jpeg\0\3\0" + rng.randbytes(100 * 1024)))
        padding = 0
    body = b"".join(frames) + b"\0" * padding
    tag = b"ID3\3\0\0" + synchsafe(len(body)) + body
    audio = b"\xff\xfb\x90\xc4" + b"\0" * 413 + rng.randbytes(256 * 1024)
    v1 = b"TAG" + title[:30].ljust(30, b"\0") + artist[:30].ljust(30, b"\0") + \
        album[:30].ljust(30, b"\0") + b"2000" + b"\0" * 30 + b"\xff"
    return tag + audio + v1


def main():
    count, root, kind = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    rng = random.Random(7)
    for i in range(count):
        folder = os.path.join(root, "d%04d" % (i // 20))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "t%05d.mp3" % i), "wb") as out:
            out.write(song(rng, kind))


main()
