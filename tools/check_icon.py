#!/usr/bin/env python3
"""Checks that the application icon's padlock stands upright in every image of app.ico.

Icon bitmaps are stored bottom row first; a row order mixed up when the icon was drawn turns
the padlock upside down. The solid body is the padlock's heavy half and the thin shackle its
light one, so in every image the lower half must hold more opaque pixels than the upper half.
"""
import struct
import sys
from pathlib import Path

ICON = Path(__file__).resolve().parent.parent / "win32" / "resources" / "app.ico"


def opaque_halves(data, offset, width, height):
    """Opaque pixels in the displayed upper and lower half of one 32-bit image."""
    header_size, _, _, _, bits = struct.unpack_from("<IiiHH", data, offset)
    if bits != 32:
        raise ValueError(f"{width}x{height}: {bits}-bit image, expected 32-bit")
    stride = width * 4
    upper = lower = 0
    for stored_row in range(height):
        start = offset + header_size + stored_row * stride
        row = data[start:start + stride]
        count = sum(1 for x in range(width) if row[x * 4 + 3] >= 128)
        # Stored row 0 is the bottom row on screen.
        if stored_row < height // 2:
            lower += count
        else:
            upper += count
    return upper, lower


def main():
    data = ICON.read_bytes()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    failures = []
    if kind != 1 or count == 0:
        failures.append("not an icon file, or no images")
    for i in range(count):
        width, height, _, _, _, _, _, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        width, height = width or 256, height or 256
        try:
            upper, lower = opaque_halves(data, offset, width, height)
        except (ValueError, struct.error) as error:
            failures.append(str(error))
            continue
        if upper >= lower:
            failures.append(f"{width}x{height}: padlock upside down ({upper} opaque pixels above, {lower} below)")
    for failure in failures:
        print(f"{ICON.name}: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
