#!/usr/bin/env python3
"""Counts the lines of code and of tests, and the ratio of the two.

One rule for both: a line counts when it is not blank and is not only a comment. Counted are
C++ (.cpp .h), Python (.py), shell (.sh and scripts whose first line runs a shell) and CMake
(CMakeLists.txt, .cmake) among the files git tracks; data (string tables, resources, help
sources, .def files) and generated files (nothing generated is tracked; build/ is ignored)
are left out. Python docstrings are text, not comments, so they count.

Tests are tests/ and the files whose only use is testing: the Windows test build's GoogleTest
shim, the checks of the string tables, help documents and release bytes, the test runner
and CI's entry.
Everything else is code.

Usage: count_lines.py [--root DIR]
"""

import argparse
import pathlib
import subprocess
import sys
from collections import Counter

TEST_ONLY = {
    ".ci/run",
    "cmake/gtest_mingw_notification.h",
    "scripts/check_reproducible.sh",
    "scripts/test.sh",
    "tools/check_docs.py",
    "tools/check_strings.py",
}


def kind_of(path, first_line):
    name = path.name
    if path.suffix in (".cpp", ".h"):
        return "c++"
    if path.suffix == ".py":
        return "python"
    if name == "CMakeLists.txt" or path.suffix == ".cmake":
        return "cmake"
    if path.suffix == ".sh" or (path.suffix == "" and first_line.startswith("#!")
                                and first_line.rstrip().endswith(("sh", "bash"))):
        return "shell"
    return None


def hash_comment_lines(text):
    """Lines of a Python, shell or CMake file that hold more than a comment or blanks."""
    return sum(1 for line in text.splitlines() if line.strip() and not line.strip().startswith("#"))


def cpp_lines(text):
    """Lines of a C++ file that hold something besides comments and blanks.

    Walks the text once so that comment markers inside string and character literals (a URL
    in a string, '/' as a character) do not hide code, and block comments span lines."""
    count = 0
    has_code = False
    i, n = 0, len(text)
    state = "code"
    raw_end = None
    while i < n:
        c = text[i]
        if c == "\n":
            count += has_code
            has_code = False
            if state == "line":
                state = "code"
            i += 1
            continue
        if state == "line":
            i += 1
        elif state == "block":
            if text.startswith("*/", i):
                state = "code"
                i += 2
            else:
                i += 1
        elif state == "raw":
            has_code = True
            if text.startswith(raw_end, i):
                state = "code"
                i += len(raw_end)
            else:
                i += 1
        elif state in ('"', "'"):
            has_code = True
            if c == "\\":
                i += 2
            else:
                if c == state:
                    state = "code"
                i += 1
        elif text.startswith("//", i):
            state = "line"
            i += 2
        elif text.startswith("/*", i):
            state = "block"
            i += 2
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            open_paren = text.find("(", i + 2)
            raw_end = ")" + text[i + 2:open_paren] + '"'
            state = "raw"
            has_code = True
            i = open_paren + 1
        elif c in "\"'":
            # A digit separator (1'000) is no character literal.
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum() \
                    and text[i - 1].isdigit():
                has_code = True
                i += 1
                continue
            state = c
            has_code = True
            i += 1
        else:
            if not c.isspace():
                has_code = True
            i += 1
    return count + has_code


def tracked_files(root):
    try:
        out = subprocess.run(["git", "-C", str(root), "ls-files", "-z"], check=True,
                             capture_output=True).stdout
        return [p for p in out.decode("utf-8").split("\0") if p]
    except (OSError, subprocess.CalledProcessError):
        skip = {"build", "dist", ".git"}
        return [str(p.relative_to(root)) for p in root.rglob("*")
                if p.is_file() and not skip & set(p.relative_to(root).parts)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=pathlib.Path(__file__).resolve().parent.parent, type=pathlib.Path)
    args = parser.parse_args()

    code, tests = Counter(), Counter()
    for rel in tracked_files(args.root):
        path = args.root / rel
        if not path.is_file():
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        kind = kind_of(path, text.split("\n", 1)[0])
        if kind is None:
            continue
        lines = cpp_lines(text) if kind == "c++" else hash_comment_lines(text)
        top = rel.split("/", 1)[0] if "/" in rel else "."
        is_test = rel.startswith("tests/") or rel in TEST_ONLY
        (tests if is_test else code)[top] += lines

    width = max(len(k) for k in (set(code) | set(tests) | {"folder"}))
    print(f"{'folder':<{width}}  {'code':>6}  {'tests':>6}")
    for top in sorted(set(code) | set(tests)):
        print(f"{top:<{width}}  {code[top]:>6}  {tests[top]:>6}")
    total_code, total_tests = sum(code.values()), sum(tests.values())
    print(f"code lines:  {total_code}")
    print(f"test lines:  {total_tests}")
    if total_code == 0:
        print("ratio: no code counted", file=sys.stderr)
        return 1
    print(f"ratio:       {100.0 * total_tests / total_code:.1f} %")
    return 0


if __name__ == "__main__":
    sys.exit(main())
