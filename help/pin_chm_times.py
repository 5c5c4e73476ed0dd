#!/usr/bin/env python3
"""Sets the two build times that the CHM compiler writes into a help file to
one given time, so that the same pages always give the same file.

    pin_chm_times.py FILE.chm SECONDS_SINCE_1970

The times sit in the file header (ITSF, offset 0x10) and in the first record
of the uncompressed #SYSTEM file (code 10, four bytes).  Everything else the
compiler writes depends only on the pages.
"""
import struct
import sys


def encint(data, pos):
    """The help format's variable-length integer: 7 bits a byte, high first."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def main():
    path, seconds = sys.argv[1], int(sys.argv[2]) & 0xFFFFFFFF
    data = bytearray(open(path, "rb").read())
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        sys.exit(f"pin_chm_times: {path} is not a version 3 help file")
    struct.pack_into(">I", data, 0x10, seconds)
    content = struct.unpack_from("<Q", data, 0x58)[0]
    entry = data.find(b"\x08/#SYSTEM")
    if entry < 0:
        sys.exit(f"pin_chm_times: no #SYSTEM in {path}")
    section, pos = encint(data, entry + 9)
    offset, pos = encint(data, pos)
    start = content + offset
    code, length = struct.unpack_from("<HH", data, start + 4)
    if section != 0 or code != 10 or length != 4:
        sys.exit(f"pin_chm_times: unexpected #SYSTEM layout in {path}")
    struct.pack_into("<I", data, start + 8, seconds)
    open(path, "wb").write(bytes(data))


if __name__ == "__main__":
    main()
