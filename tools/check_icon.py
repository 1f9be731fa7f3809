#!/usr/bin/env python3
"""Checks that the padlock of the application icon stands upright in every image of app.ico.

Icon rows are stored bottom first, and a mixed-up row order turns the padlock upside down: the
lower half, its solid body, must hold more opaque pixels than the upper half, its thin shackle.
"""
import struct
import sys
from pathlib import Path

ICON = Path(__file__).resolve().parent.parent / "win32" / "resources" / "app.ico"


def problems(data):
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    found = [] if kind == 1 and count else ["not an icon file, or no images"]
    for i in range(count if kind == 1 else 0):
        width, height, _, _, _, _, _, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        width, height = width or 256, height or 256
        header_size, _, _, _, bits = struct.unpack_from("<IiiHH", data, offset)
        # Opaque pixels of the stored rows, bottom row on screen first.
        start, stride = offset + header_size, width * 4
        opaque = [sum(alpha >= 128 for alpha in data[start + row * stride:start + (row + 1) * stride][3::4])
                  for row in range(height)]
        lower, upper = sum(opaque[:height // 2]), sum(opaque[height // 2:])
        if bits != 32 or upper >= lower:
            found.append(f"{width}x{height}, {bits} bits (32 wanted): {upper} opaque pixels above, {lower} below")
    return found


def main():
    try:
        found = problems(ICON.read_bytes())
    except (OSError, struct.error) as error:
        found = [str(error)]
    for problem in found:
        print(f"{ICON.name}: {problem}", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
