#!/usr/bin/env python3
"""Compiles the readable signature table (res/signatures.tsv) into the binary Raw.dat the file-type dialog reads."""
import struct
import sys

MAX_FIELD = 255        # the reader keeps at most 255 bytes of a field
MAX_SIGNATURE = 15     # the scan compares at most the first 15 bytes of a sector
CODE_PAGE = "gbk"      # the program's narrow code page (936)


def parse_table(path):
    rows = []
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            cols = line.split("\t")
            if len(cols) != 4:
                raise SystemExit(f"{path}:{number}: expected 4 tab-separated columns, got {len(cols)}")
            category, extension, type_text, hex_bytes = cols
            if len(category) != 1 or not category.isdigit():
                raise SystemExit(f"{path}:{number}: category must be one digit")
            if not extension.startswith(".") or len(extension) < 2:
                raise SystemExit(f"{path}:{number}: extension must start with a point")
            try:
                signature = bytes.fromhex(hex_bytes)
            except ValueError as err:
                raise SystemExit(f"{path}:{number}: bad signature: {err}")
            if not 1 <= len(signature) <= MAX_SIGNATURE:
                raise SystemExit(f"{path}:{number}: a signature holds 1 to {MAX_SIGNATURE} bytes")
            rows.append((category, extension, type_text, signature))
    return rows


def encode_record(category, extension, type_text, signature):
    fields = [extension.encode(CODE_PAGE), type_text.encode(CODE_PAGE),
              str(len(signature)).encode("ascii"), signature, b""]
    body = category.encode("ascii")
    for field in fields:
        if len(field) > MAX_FIELD:
            raise SystemExit(f"{extension}: field longer than {MAX_FIELD} bytes")
        body += struct.pack("<H", len(field)) + field
    # The leading u16 is skipped by the reader; it holds the whole record's length for anyone walking the file.
    return struct.pack("<H", 2 + len(body)) + body


def main(argv):
    if len(argv) != 3:
        raise SystemExit("usage: make_raw_dat.py signatures.tsv Raw.dat")
    data = b"".join(encode_record(*row) for row in parse_table(argv[1]))
    with open(argv[2], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main(sys.argv)
