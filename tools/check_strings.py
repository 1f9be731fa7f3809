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
LIBRARIES = {"langfile": "lang", "lic": "lic"}
ESCAPES = {"n": "\r\n", "t": "\t", "\\": "\\"}
PLACEHOLDER = re.compile("%username|%s", re.IGNORECASE)


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
        line = line.removesuffix("\r")
        m = re.fullmatch(r"([0-9]{1,5})\t((?:[^\\\x00-\x1f\x7f]|\\[nt\\])*)", line)
        if not line.strip() or line.startswith("#"):
            continue
        if not m or int(m.group(1)) > 0xFFFF:
            raise StringsError(f"{path}:{number}: expected <id><TAB><text>, an id from 0 to 65535, no control "
                               "character and no escape but \\n, \\t or \\\\")
        entries.append((int(m.group(1)), re.sub(r"\\(.)", lambda e: ESCAPES[e.group(1)], m.group(2)), number))
    return entries


def parse_ids(path):
    """Returns {library: {id: set of allowed placeholders}}."""
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
    m = re.fullmatch(r"(langfile|lic)_([0-9A-Fa-f]{4})\.txt", pathlib.Path(path).name)
    if not m or m.group(2).upper() not in CODE_PAGES:
        return [f"{path}: name must be langfile_<lcid>.txt or lic_<lcid>.txt of a shipped language"]
    library, code_page = LIBRARIES[m.group(1)], CODE_PAGES[m.group(2).upper()]
    wanted, last, problems = ids[library], -1, []
    entries = parse_strings_file(path)
    for string_id, text, number in entries:
        where = f"{path}:{number}: {library} {string_id}"
        if string_id <= last:
            problems.append(f"{where}: repeated or out of order (after {last})")
        last = max(last, string_id)
        if string_id not in wanted:
            problems.append(f"{where}: not used by the program (missing from ids.txt?)")
            continue
        stray = {p.lower() for p in PLACEHOLDER.findall(text)} - wanted[string_id]
        if not text or stray:
            problems.append(f"{where}: empty text, or placeholders {sorted(stray)} not filled in for this id")
        try:
            size = len(text.encode(code_page))
        except UnicodeEncodeError as e:
            problems.append(f"{where}: {text[e.start:e.end]!r} cannot be written in code page {code_page}")
            continue
        if size > MAX_BYTES:
            problems.append(f"{where}: {size} bytes in {code_page}, at most {MAX_BYTES} are fetched")
    missing = sorted(set(wanted) - {string_id for string_id, _, _ in entries})
    return problems + [f"{path}: {library} {string_id} is missing" for string_id in missing]


def main(argv=None):
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ids", default=str(root / "lang" / "ids.txt"))
    parser.add_argument("--stamp", help="file touched when every check passed")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args(argv)
    files = args.files or [str(root / "lang" / "strings" / f"{library}_{lcid}.txt")
                           for lcid in CODE_PAGES for library in LIBRARIES]
    try:
        ids = parse_ids(args.ids)
        problems = [problem for path in files for problem in check_file(path, ids)]
    except (StringsError, OSError) as e:
        problems = [str(e)]
    for problem in problems:
        print(f"check_strings: {problem}", file=sys.stderr)
    if problems:
        return 1
    if args.stamp:
        pathlib.Path(args.stamp).write_text("ok\n")
    print(f"check_strings: {len(files)} strings file(s) match {args.ids}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
