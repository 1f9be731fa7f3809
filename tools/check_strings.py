#!/usr/bin/env python3
"""Checks the language strings files against lang/ids.txt.

A strings file is UTF-8 text, one string a line as "<id><TAB><text>", sorted by id; lines
starting with "#" and empty lines are ignored. In the text "\\n" stands for a line break
(CR LF in the resource), "\\t" for a tab and "\\\\" for a backslash.

File names say library and language: langfile_<lcid>.txt or lic_<lcid>.txt.

Checked for every file: exactly the ids that ids.txt lists for its library, each once and in
ascending order; no empty text; only the placeholders the caller fills in; every text
encodable in the language's ANSI code page and at most 382 bytes long there (the program
fetches at most 383 characters, the NUL included, through LoadStringA).

Usage: check_strings.py [--ids lang/ids.txt] [--stamp FILE] [strings files...]
With no files, every *.txt in lang/strings/ is checked. Exits 1 on any problem.
"""

import argparse
import pathlib
import re
import sys

MAX_BYTES = 382
MAX_ID = 0xFFFF
PLACEHOLDERS = ("%username", "%s")

# ANSI code page of each language the program ships.
CODE_PAGES = {"0409": "cp1252", "0804": "gbk", "0404": "cp950"}
LIBRARIES = {"langfile": "lang", "lic": "lic"}

FILE_NAME = re.compile(r"^(langfile|lic)_([0-9A-Fa-f]{4})\.txt$")
ESCAPES = {"n": "\r\n", "t": "\t", "\\": "\\"}


class StringsError(Exception):
    pass


def unescape(text, where):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            if i + 1 >= len(text) or text[i + 1] not in ESCAPES:
                raise StringsError(f"{where}: bad escape at column {i + 1} (use \\n, \\t or \\\\)")
            out.append(ESCAPES[text[i + 1]])
            i += 2
            continue
        if ord(c) < 0x20 or c == "\x7f":
            raise StringsError(f"{where}: control character U+{ord(c):04X} in the text")
        out.append(c)
        i += 1
    return "".join(out)


def parse_strings_file(path):
    """Returns [(id, text, line number)] in file order; raises StringsError on bad syntax."""
    path = pathlib.Path(path)
    try:
        raw = path.read_bytes().decode("utf-8")
    except UnicodeDecodeError as e:
        raise StringsError(f"{path}: not UTF-8 ({e})")
    if raw.startswith("\ufeff"):
        raw = raw[1:]
    entries = []
    for number, line in enumerate(raw.split("\n"), 1):
        line = line.rstrip("\r")
        where = f"{path}:{number}"
        if not line.strip() or line.startswith("#"):
            continue
        if "\t" not in line:
            raise StringsError(f"{where}: expected <id><TAB><text>")
        id_text, text = line.split("\t", 1)
        if not id_text.isdigit() or not id_text.isascii():
            raise StringsError(f"{where}: id {id_text!r} is not a number")
        string_id = int(id_text)
        if string_id > MAX_ID:
            raise StringsError(f"{where}: id {string_id} is above {MAX_ID}")
        entries.append((string_id, unescape(text, where), number))
    return entries


def parse_ids(path):
    """Returns {library: {id: set of allowed placeholders}}."""
    path = pathlib.Path(path)
    ids = {"lang": {}, "lic": {}}
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        where = f"{path}:{number}"
        if len(words) < 2 or words[0] not in ids or not words[1].isdigit():
            raise StringsError(f"{where}: expected 'lang <id>' or 'lic <id>'")
        library, string_id = words[0], int(words[1])
        if string_id in ids[library]:
            raise StringsError(f"{where}: {library} {string_id} listed twice")
        unknown = [w for w in words[2:] if w not in PLACEHOLDERS]
        if unknown:
            raise StringsError(f"{where}: unknown placeholder {unknown[0]!r}")
        ids[library][string_id] = set(words[2:])
    return ids


def file_kind(path):
    """(library, lcid) from the file name."""
    m = FILE_NAME.match(pathlib.Path(path).name)
    if not m:
        raise StringsError(f"{path}: name must be langfile_<lcid>.txt or lic_<lcid>.txt")
    lcid = m.group(2).upper()
    if lcid not in CODE_PAGES:
        raise StringsError(f"{path}: no ANSI code page known for language {lcid}")
    return LIBRARIES[m.group(1)], lcid


def placeholders_in(text):
    lowered = text.lower()
    found = set()
    if "%username" in lowered:
        found.add("%username")
        lowered = lowered.replace("%username", "")
    if "%s" in lowered:
        found.add("%s")
    return found


def check_file(path, ids):
    """Returns a list of problems (empty when the file is sound)."""
    library, lcid = file_kind(path)
    code_page = CODE_PAGES[lcid]
    wanted = ids[library]
    problems = []
    seen = {}
    previous = -1
    for string_id, text, number in parse_strings_file(path):
        where = f"{path}:{number}: {library} {string_id}"
        if string_id in seen:
            problems.append(f"{where}: duplicate (first on line {seen[string_id]})")
            continue
        seen[string_id] = number
        if string_id < previous:
            problems.append(f"{where}: out of order (after {previous})")
        previous = max(previous, string_id)
        if string_id not in wanted:
            problems.append(f"{where}: not used by the program (missing from ids.txt?)")
            continue
        if not text:
            problems.append(f"{where}: empty text")
        stray = placeholders_in(text) - wanted[string_id]
        if stray:
            problems.append(f"{where}: placeholder {sorted(stray)[0]} is not filled in for this id")
        try:
            size = len(text.encode(code_page))
        except UnicodeEncodeError as e:
            bad = text[e.start:e.end]
            problems.append(f"{where}: {bad!r} cannot be written in code page {code_page}")
            continue
        if size > MAX_BYTES:
            problems.append(f"{where}: {size} bytes in {code_page}, at most {MAX_BYTES} are fetched")
    for string_id in sorted(set(wanted) - set(seen)):
        problems.append(f"{path}: {library} {string_id} is missing")
    return problems


def main(argv=None):
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ids", default=str(root / "lang" / "ids.txt"))
    parser.add_argument("--stamp", help="file touched when every check passed")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args(argv)
    problems = []
    files = args.files
    if not files:
        folder = root / "lang" / "strings"
        files = sorted(str(p) for p in folder.glob("*.txt"))
        for lcid in CODE_PAGES:
            for prefix in LIBRARIES:
                if not (folder / f"{prefix}_{lcid}.txt").is_file():
                    problems.append(f"{folder}: {prefix}_{lcid}.txt is missing")
    try:
        ids = parse_ids(args.ids)
        for path in files:
            problems += check_file(path, ids)
    except (StringsError, OSError) as e:
        problems.append(str(e))
    for problem in problems:
        print(f"check_strings: {problem}", file=sys.stderr)
    if problems:
        print(f"check_strings: {len(problems)} problem(s) in the language strings", file=sys.stderr)
        return 1
    if args.stamp:
        pathlib.Path(args.stamp).write_text("ok\n")
    print(f"check_strings: {len(files)} strings file(s) match {args.ids}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
