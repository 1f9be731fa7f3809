#!/usr/bin/env python3
"""Marks Windows images to be run from the swap file when they are started from removable or
network media, so that no page of them is read from the stick after it has been pulled.

    pe_swap_flags.py IMAGE...           sets IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP and
                                        IMAGE_FILE_NET_RUN_FROM_SWAP, fixing a set checksum
    pe_swap_flags.py --check IMAGE...   fails unless every image carries both flags (and a
                                        set checksum is right)
"""
import struct
import sys

REMOVABLE_RUN_FROM_SWAP = 0x0400
NET_RUN_FROM_SWAP = 0x0800
FLAGS = REMOVABLE_RUN_FROM_SWAP | NET_RUN_FROM_SWAP


def offsets(data):
    """Offsets of the COFF characteristics and of the optional header's checksum."""
    if data[:2] != b"MZ" or len(data) < 0x40:
        raise ValueError("not an MZ image")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0" or len(data) < pe + 24 + 68:
        raise ValueError("no PE header")
    return pe + 22, pe + 24 + 64


def checksum(data, checksum_at):
    """The image checksum: 16-bit one's-complement-style sum without the field, plus the length."""
    padded = data + b"\0" * (len(data) % 2)
    total = 0
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
    total -= struct.unpack_from("<H", data, checksum_at)[0] + struct.unpack_from("<H", data, checksum_at + 2)[0]
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def problem(path):
    data = open(path, "rb").read()
    flags_at, checksum_at = offsets(data)
    if struct.unpack_from("<H", data, flags_at)[0] & FLAGS != FLAGS:
        return "run-from-swap flags missing"
    stored = struct.unpack_from("<I", data, checksum_at)[0]
    if stored and stored != checksum(data, checksum_at):
        return "checksum wrong"
    return None


def mark(path):
    data = bytearray(open(path, "rb").read())
    flags_at, checksum_at = offsets(data)
    struct.pack_into("<H", data, flags_at, struct.unpack_from("<H", data, flags_at)[0] | FLAGS)
    if struct.unpack_from("<I", data, checksum_at)[0]:
        struct.pack_into("<I", data, checksum_at, checksum(bytes(data), checksum_at))
    with open(path, "wb") as f:
        f.write(data)


def main(args):
    check = args[:1] == ["--check"]
    paths = args[1:] if check else args
    if not paths:
        print(__doc__, file=sys.stderr)
        return 2
    failed = 0
    for path in paths:
        try:
            if check:
                trouble = problem(path)
                if trouble:
                    print(f"{path}: {trouble}")
                    failed += 1
            else:
                mark(path)
        except (OSError, ValueError) as e:
            print(f"{path}: {e}")
            failed += 1
    if check and not failed:
        print(f"{len(paths)} images carry both run-from-swap flags")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
