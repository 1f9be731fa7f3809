#!/usr/bin/env python3
"""Writes the cipher's box file bf.dat (4,168 bytes) from the table of initial words.

Usage: make_bf_dat.py <blowfish_initial_boxes.txt> <bf.dat>

The table holds 1,042 hexadecimal words (18 P words, then the four S-boxes of 256 words
each, in published order); "#" starts a comment. Each word is written little-endian in
table order; the program spreads the S words over the boxes when it loads them.
"""
import struct
import sys

WORDS = 18 + 4 * 256


def parse(text):
    words = []
    for line in text.splitlines():
        for token in line.split("#", 1)[0].split():
            if len(token) != 8:
                raise ValueError("malformed word %r" % token)
            words.append(int(token, 16))
    if len(words) != WORDS:
        raise ValueError("%d words, expected %d" % (len(words), WORDS))
    return words


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="ascii") as f:
        words = parse(f.read())
    data = b"".join(struct.pack("<I", w) for w in words)
    with open(argv[2], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except ValueError as e:
        sys.stderr.write("make_bf_dat.py: %s\n" % e)
        sys.exit(1)
