#!/usr/bin/env python3
"""Writes the hand-made inputs of fuzz/regressions/extract/: files that once
made the extractor read outside a record, loop on a bitmap, decode pixels
from the wrong place, or spend minutes on a small program. Run from the
source tree's top: fuzz/make_extract_regressions.py"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "regressions", "extract")


def u16(v):
    return struct.pack("<H", v)


def u32(v):
    return struct.pack("<I", v)


def bitmap(width, height, bits, compression, pixels, palette, offset=None):
    """A BITMAPFILEHEADER, a BITMAPINFOHEADER, a colour table and pixels."""
    table = b"".join(bytes([c & 255, (c >> 8) & 255, (c >> 16) & 255, 0]) for c in palette)
    start = 14 + 40 + len(table)
    header = u32(40) + u32(width) + u32(height) + u16(1) + u16(bits) + u32(compression)
    header += u32(len(pixels)) + u32(0) * 2 + u32(len(palette)) + u32(0)
    size = start + len(pixels)
    return b"BM" + u32(size) + u32(0) + u32(start if offset is None else offset(size)) + header + table + pixels


def rle_runs_past_rows(bits):
    # A 1 x 1024 bitmap whose every run is 255 pixels long: all but one of
    # each run's pixels lie past the row's end.
    runs = b"\xff\x01" * 16384
    return bitmap(1, 1024, bits, 1 if bits == 8 else 2, runs, [0x000000, 0xff0000])


def resources(groups, entries, icon_ids, icon_data):
    """A .rsrc section: `groups` RT_GROUP_ICON resources that share one
    GRPICONDIR of `entries` entries, which name RT_ICON ids 1..icon_ids in
    turn; every RT_ICON resource is the same data."""
    va = 0x1000
    type_icons = 16 + 2 * 8
    lang_icon = type_icons + 16 + 8 * icon_ids
    type_groups = lang_icon + 16 + 8
    lang_group = type_groups + 16 + 8 * groups
    data_icon = lang_group + 16 + 8
    data_group = data_icon + 16
    grp = data_group + 16
    icon = grp + 6 + 14 * entries
    s = bytearray()
    s += u32(0) * 3 + u16(0) + u16(2)
    s += u32(3) + u32(0x80000000 | type_icons) + u32(14) + u32(0x80000000 | type_groups)
    s += u32(0) * 3 + u16(0) + u16(icon_ids)
    for i in range(icon_ids):
        s += u32(i + 1) + u32(0x80000000 | lang_icon)
    s += u32(0) * 3 + u16(0) + u16(1) + u32(0x409) + u32(data_icon)
    s += u32(0) * 3 + u16(0) + u16(groups)
    for i in range(groups):
        s += u32(i + 1) + u32(0x80000000 | lang_group)
    s += u32(0) * 3 + u16(0) + u16(1) + u32(0x409) + u32(data_group)
    s += u32(va + icon) + u32(len(icon_data)) + u32(0) * 2
    s += u32(va + grp) + u32(6 + 14 * entries) + u32(0) * 2
    s += u16(0) + u16(1) + u16(entries)
    for i in range(entries):
        s += bytes([32, 32, 0, 0]) + u16(1) + u16(32) + u32(len(icon_data)) + u16(1 + i % icon_ids)
    return bytes(s + icon_data)


def pe32(section):
    """MZ, PE32 headers with one section, .rsrc at RVA 0x1000, file 0x200."""
    f = bytearray(0x200)
    f[0:2] = b"MZ"
    f[0x3C:0x40] = u32(64)
    f[64:88] = b"PE\0\0" + u16(0x14C) + u16(1) + u32(0) * 3 + u16(224) + u16(0x102)
    opt = bytearray(224)
    opt[0:2] = u16(0x10B)
    opt[92:96] = u32(16)
    opt[112:120] = u32(0x1000) + u32(len(section))
    f[88:312] = opt
    f[312:352] = b".rsrc\0\0\0" + u32(len(section)) + u32(0x1000) + u32(len(section)) + u32(0x200) + u32(0) * 3 + u32(0x40000040)
    return bytes(f) + section


def ne_header_at_end(cut):
    """An NE file that ends `cut` bytes into its 64-byte NE header."""
    f = bytearray(64)
    f[0:2] = b"MZ"
    f[0x3C:0x40] = u32(64)
    ne = bytearray(64)
    ne[0:2] = b"NE"
    ne[0x24:0x26] = u16(64)
    return bytes(f + ne[:cut])


def main():
    os.makedirs(OUT, exist_ok=True)
    # A DIB header that promises 1024 x 1024 pixels with none behind it, and
    # one that is no bitmap header at all.
    broken = u32(40) + u32(1024) + u32(2048) + u16(1) + u16(32) + u32(0) * 6
    files = {
        "rle8-runs-past-rows.bmp": rle_runs_past_rows(8),
        "rle4-runs-past-rows.bmp": rle_runs_past_rows(4),
        "bitmap-pixels-past-end.bmp": bitmap(2, 2, 24, 0, b"\x10" * 16, [], offset=lambda size: size),
        "bitmap-pixels-far-past-end.bmp": bitmap(2, 2, 24, 0, b"\x10" * 16, [], offset=lambda size: 0xFFFFFFF0),
        "rle-pixels-past-end.bmp": bitmap(4, 4, 8, 1, b"\x04\x01\x00\x01", [0, 0xFF], offset=lambda size: size),
        "groups-naming-one-broken-image.dll": pe32(resources(1024, 256, 1, broken)),
        "groups-naming-junk-images.dll": pe32(resources(4096, 256, 256, b"\xff" * 40)),
        "ne-header-cut-at-40.exe": ne_header_at_end(40),
        "ne-header-cut-at-63.exe": ne_header_at_end(63),
    }
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
