#!/usr/bin/env python3
"""Writes the seed inputs of the engine's fuzz targets into corpus/<target>/ (run from any folder). The whole-disk
target's seeds are larger and are not kept with the sources: `make_corpus.py --disks FOLDER` writes them there."""
import os
import struct
import sys

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

# ---- text and ".mht" archives (the first byte picks the code page: 0 GBK, 1 Western, 2 UTF-8) -------------------

save("text", "gbk.txt", b"\x00" + "数据恢复 report, 第二版".encode("gbk") + b"\x81\x7f\xff\x80")
save("text", "utf8.txt", b"\x02" + "数据 ≠ data \U0001F600".encode("utf-8") + b"\xed\xa0\x80\xf4\x90")
save("text", "page.mht", b"\x02" + b"""MIME-Version: 1.0
Content-Type: multipart/related; boundary="----=_NextPart_01"

------=_NextPart_01
Content-Type: image/png
Content-Transfer-Encoding: base64

iVBORw0KGgo=
------=_NextPart_01
Content-Type: text/html; charset="utf-8"
Content-Transfer-Encoding: quoted-printable
Content-Location: file:///C:/page.htm

<html><body>caf=C3=A9 =
line</body></html>
------=_NextPart_01--
""".replace(b"\n", b"\r\n"))
save("text", "single.mht", b"\x00Content-Type: text/html;\r\n charset=gb2312\r\nContent-Transfer-Encoding: base64\r\n\r\n"
     b"PGI+1tDOxDwvYj4=")

# ---- whole disks ----------------------------------------------------------------------------------------------
# Small disks for the disk target, each with the damage a mutation seldom builds on its own: chains and folders
# that loop, names out of order, partition chains that loop or reach past the disk, layouts no volume can have.

DISKS = sys.argv[2] if len(sys.argv) > 2 and sys.argv[1] == "--disks" else None


def save_disk(name, data):
    if DISKS:
        os.makedirs(DISKS, exist_ok=True)
        with open(os.path.join(DISKS, name), "wb") as f:
            f.write(data)


class Disk:
    def __init__(self, sectors):
        self.b = bytearray(sectors * 512)

    def put(self, sector, data):
        self.b[sector * 512:sector * 512 + len(data)] = data

    def bytes(self):
        return bytes(self.b)


def mbr(entries, signature=True):
    s = bytearray(512)
    for i, (kind, first, count) in enumerate(entries):
        struct.pack_into("<4xB3xII", s, 0x1BE + 16 * i, kind, first, count)
    if signature:
        s[510:512] = b"\x55\xaa"
    return bytes(s)


def fat16_boot(spc=1, reserved=1, root_entries=16, fat_size=1, total=127, fats=2):
    s = bytearray(512)
    s[0:3] = b"\xeb\x3c\x90"
    struct.pack_into("<HBHBHHBHHHII", s, 0x0B, 512, spc, reserved, fats, root_entries, total, 0xF8, fat_size, 63, 255,
                     0, 0)
    s[0x36:0x3E] = b"FAT16   "
    s[510:512] = b"\x55\xaa"
    return bytes(s)


def fat32_boot(spc=1, reserved=8, fat_size=1, total=120, root=2):
    s = bytearray(512)
    s[0:3] = b"\xeb\x58\x90"
    struct.pack_into("<HBHBHHBHHHII", s, 0x0B, 512, spc, reserved, 2, 0, 0, 0xF8, 0, 63, 255, 0, total)
    struct.pack_into("<IHHI", s, 0x24, fat_size, 0, 0, root)
    s[0x52:0x5A] = b"FAT32   "
    s[510:512] = b"\x55\xaa"
    return bytes(s)


def fat16_table(chain):
    t = bytearray(512)
    for i, v in enumerate(chain):
        struct.pack_into("<H", t, 2 * i, v)
    return bytes(t)


def fat32_table(chain):
    t = bytearray(512)
    for i, v in enumerate(chain):
        struct.pack_into("<I", t, 4 * i, v)
    return bytes(t)


def dir_start(cluster, parent):
    return short_entry(".          ", 0x10, cluster, 0) + short_entry("..         ", 0x10, parent, 0)


# FAT16 in a partition from sector 1: FATs at 2 and 3, the root at 4, cluster 2 at sector 5.
d = Disk(128)
d.put(0, mbr([(6, 1, 127)]))
d.put(1, fat16_boot())
chain = [0xFFF8, 0xFFFF, 3, 0xFFFF, 0xFFFF, 0xFFFF, 7, 6, 5000, 0xFFFF, 0xFFFF]
d.put(2, fat16_table(chain))
d.put(3, fat16_table(chain))
overlong = bytearray()
name = short_entry("OVERLONGTXT", 0x20, 9, 10)
for k in range(21, 0, -1):
    e = bytearray(32)
    e[0] = k | (0x40 if k == 21 else 0)
    e[11] = 0x0F
    e[13] = checksum(name)
    struct.pack_into("<H", e, 1, 0x41)
    overlong += e
swapped = long_entries("out of order name.txt", short_entry("OUTOFO~1TXT", 0x20, 10, 10))
swapped = swapped[32:64] + swapped[0:32]
d.put(4, short_entry("FILE    BIN", 0x20, 2, 1000) + short_entry("SUB        ", 0x10, 4, 0) +
      short_entry("LOOP    BIN", 0x20, 6, 100000) + short_entry("PAST    BIN", 0x20, 8, 4096) +
      swapped + short_entry("OUTOFO~1TXT", 0x20, 10, 10))
d.put(9, dir_start(4, 0) + short_entry("SELF       ", 0x10, 4, 0) + short_entry("PARENT     ", 0x10, 4, 0) +
      bytes(overlong) + name)
fat16_loops = d.bytes()
save_disk("fat16_loops.img", fat16_loops)

# FAT32 with no partition table: the root directory's chain loops (2 -> 3 -> 2) and a folder holds its parent.
d = Disk(96)
d.put(0, fat32_boot())
d.put(6, fat32_boot())
chain = [0x0FFFFFF8, 0x0FFFFFFF, 3, 2, 0x0FFFFFFF, 0x0FFFFFFF]
d.put(8, fat32_table(chain))
d.put(9, fat32_table(chain))
d.put(10, short_entry("A       TXT", 0x20, 5, 300) + short_entry("DIR        ", 0x10, 4, 0))
d.put(11, short_entry("B       TXT", 0x20, 5, 300))
d.put(12, dir_start(4, 0) + short_entry("UP         ", 0x10, 2, 0) + short_entry("AGAIN      ", 0x10, 4, 0))
save_disk("fat32_root_loop.img", d.bytes())

# Extended boot records that link back to the first; logical and primary entries past the disk's end; a boot
# sector with 0 sectors per cluster and one with 255.
d = Disk(64)
d.put(0, mbr([(5, 8, 100), (6, 40, 0xFFFFFFF0), (7, 5000, 10), (0x0C, 30, 20)]))
d.put(8, mbr([(6, 2, 0xFFFFFF00), (5, 16, 8)]))
d.put(24, mbr([(7, 3, 4), (5, 0, 8)]))
d.put(10, fat16_boot(spc=0, total=30))
d.put(27, fat16_boot(spc=255, reserved=0, fats=0, total=0))
d.put(30, fat32_boot(spc=128, reserved=0xFFFF, fat_size=0xFFFFFFFF, total=0xFFFFFFFF, root=0xFFFFFFFF))
d.put(40, fat16_boot(spc=64, reserved=1, root_entries=0xFFFF, fat_size=0xFFFF, total=0))
save_disk("partition_loops.img", d.bytes())


def ntfs_boot(spc=1, total=127, mft=16, mirror=48, index=0xF4):
    s = bytearray(512)
    s[0:3] = b"\xeb\x52\x90"
    s[3:11] = b"NTFS    "
    struct.pack_into("<HB", s, 0x0B, 512, spc)
    struct.pack_into("<QQQbxxxb", s, 0x28, total, mft, mirror, -10, index - 256 if index > 127 else index)
    s[510:512] = b"\x55\xaa"
    return bytes(s)


def indx_block(owner, vcn, child_vcn):
    b = bytearray(4096)
    b[0:4] = b"INDX"
    struct.pack_into("<HH", b, 4, 0x28, 9)
    struct.pack_into("<Q", b, 0x10, vcn)
    struct.pack_into("<III", b, 0x18, 0x28, 0x28 + 0x68 + 0x18, 4096 - 24)
    entry = bytearray(0x68)
    struct.pack_into("<QHHB", entry, 0, 16, 0x68, 0x50, 1)
    entry[0x10:0x10 + 0x4A] = file_name("x.txt", owner)[:0x4A]
    struct.pack_into("<Q", entry, 0x60, child_vcn)
    b[0x40:0x40 + len(entry)] = entry
    struct.pack_into("<QHHB", b, 0x40 + 0x68, 0, 0x18, 0, 3)
    struct.pack_into("<Q", b, 0x40 + 0x68 + 0x10, child_vcn)
    usn = b[0x28:0x2A] = b"\x07\x00"
    for s in range(1, 9):
        b[0x28 + 2 * s:0x2A + 2 * s] = b[s * 512 - 2:s * 512]
        b[s * 512 - 2:s * 512] = b"\x07\x00"
    return bytes(b)


# NTFS with no partition table, the MFT at sector 16: $MFT's runs name its own clusters twice over and reach past
# the volume, the root's index allocation holds a block whose entry leads back to itself, and the file records
# hold a run list with huge and negative steps, an attribute longer than the record, an attribute list naming
# records that are not there, and an update-sequence array that does not fit.
d = Disk(128)
d.put(0, ntfs_boot())
d.put(127, ntfs_boot())
mft_runs = bytes([0x11, 0x20, 0x10, 0x11, 0x20, 0x00, 0x21, 0x10, 0x00, 0x80, 0x00])
d.put(16, mft_record([resident(0x30, file_name("$MFT", 5)), non_resident(0x80, mft_runs, 1 << 20)]))
d.put(26, mft_record([resident(0x30, file_name(".", 5)), resident(0x90, bytes(0x82), "$I30"),
                      non_resident(0xA0, bytes([0x11, 0x08, 0x50, 0]), 4096, "$I30")], flags=3))
d.put(32, mft_record([resident(0x30, file_name("runs.bin", 5)),
                      non_resident(0x80, bytes([0x48, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x01,
                                                0x11, 0x04, 0x80, 0x21, 0x02, 0x00, 0x80, 0]), 1 << 40)]))
broken = bytearray(mft_record([resident(0x30, file_name("long.bin", 5)), resident(0x80, b"data")]))
struct.pack_into("<I", broken, 0x38 + 0x68 + 4, 0x10000)
d.put(34, bytes(broken))
listed = b"".join(struct.pack("<IHBBQQH", 0x80, 0x20, 0, 0, vcn, 40 + vcn, 0) + bytes(6) for vcn in range(6))
d.put(36, mft_record([resident(0x20, listed), resident(0x30, file_name("pieces.bin", 5))]))
fixups = bytearray(mft_record([resident(0x30, file_name("fixup.bin", 5))]))
struct.pack_into("<HH", fixups, 4, 0x3F0, 0x200)
d.put(38, bytes(fixups))
d.put(40, mft_record([resident(0x30, file_name("sub", 5)), resident(0x90, bytes(0x82), "$I30"),
                      non_resident(0xA0, bytes([0x11, 0x08, 0x50, 0]), 4096, "$I30")], flags=3))
d.put(80, indx_block(20, 0, 0))
d.put(88, indx_block(26, 0, 0))
save_disk("ntfs_loops.img", d.bytes())

# The first FAT16 disk cut short after its root directory.
save_disk("truncated.img", fat16_loops[:5 * 512 + 100])
