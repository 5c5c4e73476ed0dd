#!/usr/bin/env python3
"""Looks for byte patterns in the memory of a running process.

A Windows program under wine is an ordinary Linux process, so its whole
address space can be read through /proc/PID/mem, region by region as
/proc/PID/maps lists them.  Regions that cannot be read are skipped, and so
are reservations over 2 GiB, which hold nothing.

    memscan.py PID NAME:ENCODING:TEXT ...
        ENCODING is utf16 (UTF-16LE), cp932, utf8, or sha256-cp932 (the
        32-byte SHA-256 of the text's code page 932 bytes, i.e. a classic
        document key).  A suffix "-first" or "-last" drops that byte of the
        pattern, to find a copy that lost its first or last byte.
        Prints "NAME:ENCODING COUNT" per pattern.
    memscan.py --self-test
        Scans a child process for a pattern it holds and for one it does not.
"""
import hashlib
import os
import subprocess
import sys

MAX_REGION = 2 << 30
CHUNK = 16 << 20


def pattern_bytes(encoding, text):
    for suffix, cut in (("-first", slice(1, None)), ("-last", slice(None, -1))):
        if encoding.endswith(suffix):
            return pattern_bytes(encoding[: -len(suffix)], text)[cut]
    if encoding == "utf8":
        return text.encode("utf-8")
    if encoding == "utf16":
        return text.encode("utf-16-le")
    if encoding == "cp932":
        return text.encode("cp932")
    if encoding == "sha256-cp932":
        return hashlib.sha256(text.encode("cp932")).digest()
    raise ValueError("unknown encoding " + encoding)


def regions(pid):
    with open("/proc/%d/maps" % pid) as maps:
        for line in maps:
            fields = line.split()
            start, end = (int(x, 16) for x in fields[0].split("-"))
            if "r" not in fields[1] or end - start > MAX_REGION:
                continue
            yield start, end


def scan(pid, patterns):
    """The number of places each pattern occurs at."""
    counts = [0] * len(patterns)
    overlap = max(len(p) for p in patterns) - 1
    with open("/proc/%d/mem" % pid, "rb", buffering=0) as mem:
        for start, end in regions(pid):
            tail = b""
            at = start
            while at < end:
                size = min(CHUNK, end - at)
                try:
                    mem.seek(at)
                    data = mem.read(size)
                except (OSError, OverflowError, ValueError):
                    break
                if not data:
                    break
                block = tail + data
                for i, pattern in enumerate(patterns):
                    found = block.find(pattern)
                    while found != -1:
                        # A match wholly inside the carried tail was counted before.
                        if found + len(pattern) > len(tail):
                            counts[i] += 1
                        found = block.find(pattern, found + 1)
                tail = block[-overlap:] if overlap else b""
                at += len(data)
    return counts


def self_test():
    present = os.urandom(24)
    absent = os.urandom(24)
    child = subprocess.Popen(
        [sys.executable, "-c",
         "import sys,time; x=bytes.fromhex(sys.argv[1]); print('ready',flush=True); time.sleep(60)",
         present.hex()], stdout=subprocess.PIPE)
    try:
        child.stdout.readline()
        found, missing = scan(child.pid, [present, absent])
    finally:
        child.kill()
        child.wait()
    print("present %d, absent %d" % (found, missing))
    return 0 if found > 0 and missing == 0 else 1


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    pid = int(argv[1])
    names, patterns = [], []
    for pattern in argv[2:]:
        name, encoding, text = pattern.split(":", 2)
        names.append(name + ":" + encoding)
        patterns.append(pattern_bytes(encoding, text))
    for name, count in zip(names, scan(pid, patterns)):
        print(name, count)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
