#!/usr/bin/env python3
"""Writes the seed inputs of the engine's fuzz targets into corpus/<target>/ (run from any folder)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def save(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- snapshots ------------------------------------------------------------------------------------------------

def params(fs, start=0, count=2048, spc=1, fat_size=0, reserved=0, origin=0, fat1=0, fat2=0, mft=0, end=0, root=0):
    block = struct.pack("<HIIIHHIIIIIIIIIIIIIH", fs, start, count, start + count - 1, 0, fs, fat_size, spc, 0, root,
                        reserved, origin, fat1, fat2, mft, 0, 2, 8, end, 0)
    assert len(block) == 72
    return block[:30] + block[34:]


def wide(text, extra, pad):
    raw = text.encode("utf-16-le") + b"\0\0" + b"\0" * pad
    return struct.pack("<H", len(raw) + extra) + raw


def snapshot(kind, block, body, drive=0, drive_kind=1):
    head = kind.encode("utf-16-le") + b"q\0v\0d\x004" + b"1\0."
    return head + block + body + struct.pack("<HH", drive, drive_kind)


def fat_body(folders, files, times=False):
    """times: each file's name field also carries its entry's time words after the two zero bytes."""
    out = struct.pack("<I", len(folders))
    for name, cluster, parent in folders:
        out += wide(name, 15, 0) + struct.pack("<IIHHBH", cluster, parent, 0x5A21, 0x5A21, 0, 0)
    out += struct.pack("<I", len(files))
    for name, cluster, parent, size, deleted in files:
        field = wide(name, 21, 10) if times else wide(name, 21, 2)
        if times:
            field = field[:-8] + struct.pack("<HHHBB", 0x28C4, 0x5A21, 0x0843, 150, 0)
        out += field + struct.pack("<IIHHIBI", cluster, parent, 0x5A21, 0x5A21, size, deleted, 0)
    return out


def ntfs_body(folders, files):
    out = struct.pack("<I", len(folders))
    for name, number, parent in folders:
        out += wide(name, 27, 2) + struct.pack("<IIIIIIBH", number, parent, 1, 0x01D00000, 2, 0x01D00000, 0, 0)
    out += struct.pack("<I", len(files))
    for sector, name, number, parent, size, deleted in files:
        out += struct.pack("<I", sector) + wide(name, 37, 2)
        out += struct.pack("<IIIIIIBII", number, parent, 1, 0x01D00000, 2, 0x01D00000, deleted, size & 0xFFFFFFFF,
                           size >> 32)
    return out


def traced_body(signatures, files):
    out = struct.pack("<I", len(signatures))
    for ext, text, sig in signatures:
        narrow = sig.encode() + b"\0" + b"\0" * (len(sig) + 1)
        out += wide(ext, 15, 0) + wide(text, 15, 0) + struct.pack("<H", len(narrow) + 15) + narrow
        out += struct.pack("<II", len(sig) // 2, 0)
    out += struct.pack("<I", len(files))
    for ext, name, text, number, sector in files:
        out += wide(ext, 21, 2) + wide(name, 21, 2) + wide(text, 21, 2) + struct.pack("<II", number, sector)
    return out


# The crafted disk of snapshot_recover: records at 100 to 108, a FAT16 FAT at sector 1, data from sector 3.
NTFS_FILES = [(100, "plain.bin", 30, 5, 2048, 0), (102, "packed.bin", 31, 5, 1 << 40, 0),
              (104, "small.txt", 32, 5, 300, 1), (106, "holes.bin", 33, 5, 1 << 32, 0),
              (108, "piece.bin", 34, 5, 1 << 20, 0), (50, "nothing.bin", 35, 5, 4096, 0),
              (100, "PLAIN.BIN", 36, 40, 1 << 30, 0)]
NTFS_FOLDERS = [("docs", 40, 5), ("old", 41, 40)]
ntfs_quick = snapshot("D", params(300, spc=1, mft=100), ntfs_body(NTFS_FOLDERS, NTFS_FILES))
ntfs_wide = snapshot("D", params(300, spc=8, mft=100), ntfs_body(NTFS_FOLDERS, NTFS_FILES))
FAT_FILES = [("a.jpg", 2, 0, 1400, 0), ("loop.bin", 5, 0, 100000, 1), ("b.txt", 7, 5, 10, 0),
             ("报告" * 50 + ".doc", 2, 5, 512, 0)]
fat_quick = snapshot("D", params(100, spc=1, fat_size=1, reserved=1, origin=1, fat1=1, fat2=2),
                     fat_body([("photos", 5, 0)], FAT_FILES))
fat_times = snapshot("D", params(100, spc=1, fat_size=1, reserved=1, origin=1, fat1=1, fat2=2),
                     fat_body([("photos", 5, 0)], FAT_FILES, times=True))
traced = snapshot("R", params(100), traced_body([(".jpg", "JPEG", "FFD8FF")],
                                                [(".jpg", "1.jpg", "JPEG", 1, 40), (".jpg", "2.jpg", "JPEG", 2, 2000)]))
ntfs_full = snapshot("A", params(300, spc=1, mft=100, origin=0, end=2047), ntfs_body(NTFS_FOLDERS, []))
for target in ("snapshot", "snapshot_recover"):
    save(target, "ntfs_quick.dmk", ntfs_quick)
    save(target, "ntfs_wide.dmk", ntfs_wide)
    save(target, "fat_quick.dmk", fat_quick)
    save(target, "fat_times.dmk", fat_times)
    save(target, "traced.dmk", traced)
save("snapshot", "ntfs_full.dmk", ntfs_full)

# ---- MFT records ----------------------------------------------------------------------------------------------

def mft_record(attributes, flags=1):
    b = bytearray(1024)
    b[0:4] = b"FILE"
    struct.pack_into("<HH", b, 4, 0x30, 3)
    struct.pack_into("<H", b, 0x30, 7)
    struct.pack_into("<HH", b, 0x14, 0x38, flags)
    struct.pack_into("<I", b, 0x1C, 1024)
    at = 0x38
    for a in attributes:
        b[at:at + len(a)] = a
        at += len(a)
    struct.pack_into("<I", b, at, 0xFFFFFFFF)
    struct.pack_into("<I", b, 0x18, at + 8)
    for s in (1, 2):
        b[0x30 + 2 * s:0x32 + 2 * s] = b[s * 512 - 2:s * 512]
        struct.pack_into("<H", b, s * 512 - 2, 7)
    return bytes(b)


def resident(kind, value, name=""):
    name_raw = name.encode("utf-16-le")
    value_at = (0x18 + len(name_raw) + 7) & ~7
    length = (value_at + len(value) + 7) & ~7
    a = bytearray(length)
    struct.pack_into("<IIBBH", a, 0, kind, length, 0, len(name), 0x18)
    struct.pack_into("<IH", a, 0x10, len(value), value_at)
    a[0x18:0x18 + len(name_raw)] = name_raw
    a[value_at:value_at + len(value)] = value
    return bytes(a)


def non_resident(kind, runs, size, name="", flags=0, unit=0):
    name_raw = name.encode("utf-16-le")
    runs_at = (0x40 + len(name_raw) + 7) & ~7
    length = (runs_at + len(runs) + 7) & ~7
    a = bytearray(length)
    struct.pack_into("<IIBBHH", a, 0, kind, length, 1, len(name), 0x40, flags)
    struct.pack_into("<HB", a, 0x20, runs_at, unit)
    struct.pack_into("<QQQ", a, 0x28, size, size, size)
    a[0x40:0x40 + len(name_raw)] = name_raw
    a[runs_at:runs_at + len(runs)] = runs
    return bytes(a)


def file_name(name, parent, space=1):
    raw = name.encode("utf-16-le")
    v = struct.pack("<QQQQQQQIIBB", parent, 0x01D0000000000001, 0, 0x01D0000000000002, 0, 0, 0, 0, 0, len(name),
                    space)
    return v + raw


runs = bytes([0x31, 0x04, 0x00, 0x10, 0x00, 0x01, 0x02, 0x11, 0x01, 0x05, 0x00])
save("ntfs_record", "file.rec", mft_record([resident(0x30, file_name("report.doc", 5)),
                                             non_resident(0x80, runs, 8192)]) + runs)
save("ntfs_record", "folder.rec", mft_record([resident(0x20, bytes(0x40)), resident(0x30, file_name("a folder", 5)),
                                               resident(0x30, file_name("AFOLDE~1", 5, 2)),
                                               resident(0x90, bytes(0x82), "$I30"),
                                               non_resident(0xA0, bytes([0x21, 0x01, 0x2C, 0x01, 0]), 4096, "$I30")],
                                              flags=3))
save("ntfs_record", "compressed.rec", mft_record([resident(0x30, file_name("c.bin", 5)),
                                                   non_resident(0x80, bytes([0x11, 0x10, 0x0A, 0x01, 0x0C, 0]),
                                                                1 << 20, flags=1, unit=4)]))

# ---- FAT directory sectors ------------------------------------------------------------------------------------

def short_entry(name11, attr, cluster, size):
    return struct.pack("<11sB8sHHHHI", name11.encode(), attr, bytes(8), cluster >> 16, 0x5A21, 0x5A21, cluster & 0xFFFF,
                       size)


def checksum(entry):
    s = 0
    for c in entry[:11]:
        s = (((s & 1) << 7) + (s >> 1) + c) & 0xFF
    return s


def long_entries(name, entry):
    units = list(struct.unpack("<%dH" % len(name), name.encode("utf-16-le")))
    pieces = (len(units) + 12) // 13
    out = b""
    for k in range(pieces, 0, -1):
        chunk = [units[i] if i < len(units) else (0 if i == len(units) else 0xFFFF)
                 for i in range((k - 1) * 13, k * 13)]
        e = bytearray(32)
        e[0] = k | (0x40 if k == pieces else 0)
        e[11] = 0x0F
        e[13] = checksum(entry)
        for i, off in enumerate((1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30)):
            struct.pack_into("<H", e, off, chunk[i])
        out += bytes(e)
    return out


dot = short_entry(".          ", 0x10, 5, 0) + short_entry("..         ", 0x10, 0, 0)
doc = short_entry("REPORT~1DOC", 0x20, 9, 12345)
deleted = bytearray(long_entries("deleted photo.jpg", short_entry("DELETE~1JPG", 0x20, 12, 999)) +
                    short_entry("DELETE~1JPG", 0x20, 12, 999))
for i in range(0, len(deleted), 32):
    deleted[i] = 0xE5
sector = dot + long_entries("a long report name.doc", doc) + doc + bytes(deleted) + short_entry("SUB        ", 0x10, 20, 0)
save("fat_directory", "fat16.dir", b"\x00" + sector.ljust(1024, b"\0"))
save("fat_directory", "fat32.dir", b"\x01" + sector.ljust(1024, b"\0"))

# ---- bitmaps and icons ----------------------------------------------------------------------------------------

def bmp(width, height, bpp, pixels, palette=b"", compression=0, masks=b""):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, compression, len(pixels), 2835, 2835,
                       len(palette) // 4, 0)
    body = info + masks + palette + pixels
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, 14 + len(info) + len(masks) + len(palette)) + body


save("bitmap", "rgb24.bmp", b"\x00" + bmp(2, 2, 24, bytes(range(16))))
save("bitmap", "pal8.bmp", b"\x04" + bmp(4, 2, 8, bytes(range(8)), palette=bytes(range(16))))
save("bitmap", "mono.bmp", b"\x30" + bmp(8, 2, 1, bytes([0xAA, 0, 0, 0, 0x55, 0, 0, 0]), palette=b"\0\0\0\0\xff\xff\xff\0"))
save("bitmap", "fields32.bmp", b"\x0c" + bmp(1, -2, 32, bytes(8), compression=3,
                                            masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF)))
icon_dib = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 32, 0, 0, 0, 0, 0, 0) + bytes(16 * 16 * 4) + bytes(16 * 4)
icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(icon_dib), 22) + icon_dib
save("bitmap", "icon.ico", b"\x01" + icon)
