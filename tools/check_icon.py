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
        width, height, *_, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        width, height = width or 256, height or 256
        header_size, _, _, _, bits = struct.unpack_from("<IiiHH", data, offset)
        # The alpha bytes of the stored rows, bottom row on screen first.
        alpha = data[offset + header_size:offset + header_size + width * height * 4][3::4]
        lower, upper = (sum(a >= 128 for a in half) for half in (alpha[:len(alpha) // 2], alpha[len(alpha) // 2:]))
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
