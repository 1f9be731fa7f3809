#!/usr/bin/env python3
"""Checks the language strings files (lang/strings/<langfile|lic>_<lcid>.txt) against lang/ids.txt.

Each holds "<id><TAB><text>" lines ("\\n", "\\t", "\\\\" stand for CR LF, tab, backslash): the ids of its
library once each and in order, only the placeholders their callers fill in, no empty text, each
text at most 382 bytes in the language's ANSI code page (the program fetches 383 with the NUL).
"""

import argparse
import pathlib
import re
import sys

MAX_BYTES = 382
CODE_PAGES = {"0409": "cp1252", "0804": "gbk", "0404": "cp950"}   # the shipped languages
ESCAPES = {"n": "\r\n", "t": "\t", "\\": "\\"}


class StringsError(Exception):
    pass


def parse_strings_file(path):
    """Returns [(id, text, line number)] in file order; raises StringsError on bad syntax."""
    try:
        raw = pathlib.Path(path).read_bytes().decode("utf-8").removeprefix("\ufeff")
    except UnicodeDecodeError as e:
        raise StringsError(f"{path}: not UTF-8 ({e})")
    entries = []
    for number, line in enumerate(raw.split("\n"), 1):
        m = re.fullmatch(r"([0-9]{1,5})\t((?:[^\\\x00-\x1f\x7f]|\\[nt\\])*)\r?", line)
        if m and int(m.group(1)) <= 0xFFFF:
            entries.append((int(m.group(1)), re.sub(r"\\(.)", lambda e: ESCAPES[e.group(1)], m.group(2)), number))
        elif line.strip() and not line.startswith("#"):
            raise StringsError(f"{path}:{number}: expected <id><TAB><text>, an id from 0 to 65535, no control "
                               "character and no escape but \\n, \\t or \\\\")
    return entries


def parse_ids(path):
    """Returns {library: {id: set of allowed placeholders}}, the libraries "lang" and "lic"."""
    ids = {"lang": {}, "lic": {}}
    for number, line in enumerate(pathlib.Path(path).read_text(encoding="utf-8").splitlines(), 1):
        line = line.split("#", 1)[0]
        m = re.fullmatch(r"\s*(lang|lic)\s+([0-9]+)((?:\s+%username|\s+%s)*)\s*", line)
        if line.strip() and (not m or int(m.group(2)) in ids[m.group(1)]):
            raise StringsError(f"{path}:{number}: expected 'lang <id>' or 'lic <id>', once, and known placeholders")
        if m:
            ids[m.group(1)][int(m.group(2))] = set(m.group(3).split())
    return ids


def check_file(path, ids):
    """Returns a list of problems (empty when the file is sound)."""
    m = re.fullmatch(r"(langfile|lic)_(0409|0804|0404)\.txt", pathlib.Path(path).name)
    if not m:
        return [f"{path}: name must be langfile_<lcid>.txt or lic_<lcid>.txt of a shipped language"]
    wanted, code_page, last, problems = ids[m.group(1).removesuffix("file")], CODE_PAGES[m.group(2)], -1, []
    entries = parse_strings_file(path)
    for string_id, text, number in entries:
        stray = {p.lower() for p in re.findall("%username|%s", text, re.IGNORECASE)} - wanted.get(string_id, set())
        size = len(text.encode(code_page, errors="replace"))
        outside = text.encode(code_page, errors="replace").decode(code_page) != text
        problems += [f"{path}:{number}: {m.group(1)} {string_id}: {why}" for bad, why in (
            (string_id <= last, f"repeated or out of order (after {last})"),
            (string_id not in wanted, "not used by the program (missing from ids.txt?)"),
            (not text or stray, f"empty text, or placeholders {sorted(stray)} not filled in for this id"),
            (outside, f"not all of it can be written in code page {code_page}"),
            (size > MAX_BYTES, f"{size} bytes in {code_page}, at most {MAX_BYTES} are fetched")) if bad]
        last = max(last, string_id)
    missing = sorted(set(wanted) - {string_id for string_id, _, _ in entries})
    return problems + [f"{path}: {m.group(1)} {string_id} is missing" for string_id in missing]


def main(argv=None):
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ids", default=str(root / "lang" / "ids.txt"))
    parser.add_argument("--stamp", help="file touched when every check passed")
    parser.add_argument("files", nargs="*", default=sorted((root / "lang" / "strings").glob("*.txt")))
    args = parser.parse_args(argv)
    try:
        ids = parse_ids(args.ids)
        problems = [problem for path in args.files for problem in check_file(path, ids)]
    except (StringsError, OSError) as e:
        problems = [str(e)]
    for problem in problems:
        print(f"check_strings: {problem}", file=sys.stderr)
    if problems:
        return 1
    if args.stamp:
        pathlib.Path(args.stamp).write_text("ok\n")
    print(f"check_strings: {len(args.files)} strings file(s) match {args.ids}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
