#!/usr/bin/env python3
"""Checks the language strings files (lang/strings/<langfile|lic>_<lcid>.txt) against lang/ids.txt.

One string a line as "<id><TAB><text>", "#" lines and empty ones ignored; "\\n", "\\t" and "\\\\" in
the text stand for a line break (CR LF), a tab and a backslash. Each file must hold the ids ids.txt
lists for its library, once each and in order, no empty text, only the placeholders the caller fills
in, and texts encodable in the language's ANSI code page and at most 382 bytes long there (the
program fetches 383 characters, the NUL included). Exits 1 on any problem.
"""

import argparse
import pathlib
import re
import sys

MAX_BYTES = 382
PLACEHOLDERS = ("%username", "%s")
CODE_PAGES = {"0409": "cp1252", "0804": "gbk", "0404": "cp950"}   # the shipped languages
LIBRARIES = {"langfile": "lang", "lic": "lic"}
FILE_NAME = re.compile(r"^(langfile|lic)_([0-9A-Fa-f]{4})\.txt$")
ESCAPE = re.compile(r"\\(.?)|([\x00-\x1f\x7f])")
ESCAPES = {"n": "\r\n", "t": "\t", "\\": "\\"}


class StringsError(Exception):
    pass


def unescape(text, where):
    def replace(m):
        if m.group(2) is not None:
            raise StringsError(f"{where}: control character U+{ord(m.group(2)):04X} in the text")
        if m.group(1) not in ESCAPES:
            raise StringsError(f"{where}: bad escape at column {m.start() + 1} (use \\n, \\t or \\\\)")
        return ESCAPES[m.group(1)]
    return ESCAPE.sub(replace, text)


def parse_strings_file(path):
    """Returns [(id, text, line number)] in file order; raises StringsError on bad syntax."""
    try:
        raw = pathlib.Path(path).read_bytes().decode("utf-8").removeprefix("\ufeff")
    except UnicodeDecodeError as e:
        raise StringsError(f"{path}: not UTF-8 ({e})")
    entries = []
    for number, line in enumerate(raw.split("\n"), 1):
        line, where = line.rstrip("\r"), f"{path}:{number}"
        if not line.strip() or line.startswith("#"):
            continue
        id_text, tab, text = line.partition("\t")
        if not tab or not id_text.isascii() or not id_text.isdigit() or int(id_text) > 0xFFFF:
            raise StringsError(f"{where}: expected <id><TAB><text> with an id from 0 to 65535")
        entries.append((int(id_text), unescape(text, where), number))
    return entries


def parse_ids(path):
    """Returns {library: {id: set of allowed placeholders}}."""
    ids = {"lang": {}, "lic": {}}
    for number, line in enumerate(pathlib.Path(path).read_text(encoding="utf-8").splitlines(), 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        if len(words) < 2 or words[0] not in ids or not words[1].isdigit():
            raise StringsError(f"{path}:{number}: expected 'lang <id>' or 'lic <id>'")
        library, string_id = words[0], int(words[1])
        if string_id in ids[library] or not set(words[2:]) <= set(PLACEHOLDERS):
            raise StringsError(f"{path}:{number}: {library} {string_id} listed twice or with an unknown placeholder")
        ids[library][string_id] = set(words[2:])
    return ids


def check_file(path, ids):
    """Returns a list of problems (empty when the file is sound)."""
    m = FILE_NAME.match(pathlib.Path(path).name)
    if not m or m.group(2).upper() not in CODE_PAGES:
        return [f"{path}: name must be langfile_<lcid>.txt or lic_<lcid>.txt of a shipped language"]
    library, code_page = LIBRARIES[m.group(1)], CODE_PAGES[m.group(2).upper()]
    wanted, seen, problems = ids[library], {}, []
    for string_id, text, number in parse_strings_file(path):
        where = f"{path}:{number}: {library} {string_id}"
        if string_id in seen:
            problems.append(f"{where}: duplicate (first on line {seen[string_id]})")
            continue
        if seen and string_id < max(seen):
            problems.append(f"{where}: out of order (after {max(seen)})")
        seen[string_id] = number
        if string_id not in wanted:
            problems.append(f"{where}: not used by the program (missing from ids.txt?)")
            continue
        if not text:
            problems.append(f"{where}: empty text")
        lowered = text.lower()
        stray = {"%username"} if "%username" in lowered else set()
        if "%s" in lowered.replace("%username", ""):
            stray.add("%s")
        if stray - wanted[string_id]:
            problems.append(f"{where}: placeholder {min(stray - wanted[string_id])} is not filled in for this id")
        try:
            size = len(text.encode(code_page))
        except UnicodeEncodeError as e:
            problems.append(f"{where}: {text[e.start:e.end]!r} cannot be written in code page {code_page}")
            continue
        if size > MAX_BYTES:
            problems.append(f"{where}: {size} bytes in {code_page}, at most {MAX_BYTES} are fetched")
    problems += [f"{path}: {library} {string_id} is missing" for string_id in sorted(set(wanted) - set(seen))]
    return problems


def main(argv=None):
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ids", default=str(root / "lang" / "ids.txt"))
    parser.add_argument("--stamp", help="file touched when every check passed")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args(argv)
    files = args.files or [str(root / "lang" / "strings" / f"{prefix}_{lcid}.txt")
                           for lcid in CODE_PAGES for prefix in LIBRARIES]
    problems = []
    try:
        ids = parse_ids(args.ids)
    except (StringsError, OSError) as e:
        ids, problems = {}, [str(e)]
    for path in files if ids else []:
        try:
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
