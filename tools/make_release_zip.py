#!/usr/bin/env python3
"""Packs the shipped files into a release zip that is the same, byte for byte, wherever it
is made: entries sorted by name, one fixed time (SOURCE_DATE_EPOCH when set, else the zip
format's earliest date), fixed attributes and compression.

    make_release_zip.py --folder Program/quorvel OUT.zip FILE...
"""
import argparse
import io
import os
import sys
import time
import zipfile
from pathlib import Path

EARLIEST = (1980, 1, 1, 0, 0, 0)
FILE_ATTRIBUTE_DIRECTORY = 0x10
FILE_ATTRIBUTE_ARCHIVE = 0x20


def fixed_time():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        return EARLIEST
    stamp = time.gmtime(int(epoch))[:6]
    return max(stamp, EARLIEST)


def entry(name, attributes, when):
    info = zipfile.ZipInfo(name, date_time=when)
    info.create_system = 0  # MS-DOS attributes, as on the stick
    info.external_attr = attributes
    info.compress_type = zipfile.ZIP_STORED if name.endswith("/") else zipfile.ZIP_DEFLATED
    return info


def pack(folder, files):
    when = fixed_time()
    names = {}
    for path in files:
        name = Path(path).name
        if name in names:
            raise ValueError(f"two shipped files named {name}: {names[name]} and {path}")
        names[name] = path
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        parts = folder.strip("/").split("/")
        for depth in range(1, len(parts) + 1):
            archive.writestr(entry("/".join(parts[:depth]) + "/", FILE_ATTRIBUTE_DIRECTORY, when), b"")
        for name in sorted(names, key=str.lower):
            data = Path(names[name]).read_bytes()
            archive.writestr(entry(f"{'/'.join(parts)}/{name}", FILE_ATTRIBUTE_ARCHIVE, when), data,
                             compresslevel=9)
    return buffer.getvalue()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--folder", required=True, help="folder inside the zip, e.g. Program/quorvel")
    parser.add_argument("out")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    try:
        data = pack(args.folder, args.files)
    except (OSError, ValueError) as error:
        print(f"make_release_zip: {error}", file=sys.stderr)
        return 1
    out = Path(args.out)
    out.parent.mkdir(parents=True, exist_ok=True)
    temp = out.with_name(out.name + ".tmp")
    temp.write_bytes(data)
    os.replace(temp, out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
