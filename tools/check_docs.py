#!/usr/bin/env python3
"""Checks the help documents of every shipped language.

Each program folder (dist/win32, dist/win64) holds feature_<lcid>.pdf and what_<lcid>.pdf of every
language, every font embedded (else CJK shows as boxes) and the title in that language on the first
page. The captions the Chinese sources quote as **caption** (a menu path as **a → b**) are captions
of that language's string tables as the user sees them: no access key, "%s" filled in with the
product name; a closing stop, colon or ellipsis and an "A. " list label may be left out.

Usage: check_docs.py [--dist DIR] [--docs DIR] [--strings DIR]; exits 1 on any problem.
"""

import argparse
import pathlib
import re
import subprocess
import sys

import check_strings

TITLES = {
    "feature": {"0409": "Features of this edition", "0804": "本版本功能一览", "0404": "本版功能一覽"},
    "what": {"0409": "User guide", "0804": "用户指南", "0404": "使用者指南"},
}
TEXT_SOURCES = ("0804", "0404")   # written as docs/<document>_<lcid>.txt; English is groff -ms
KEYBOARD_CAPTIONS = {"Delete", "<----"}   # the on-screen keyboard's edit keys


def run(*command):
    """stdout of a poppler tool (poppler-utils); raises OSError or CalledProcessError when it fails."""
    return subprocess.run(command, capture_output=True, text=True, encoding="utf-8", errors="replace",
                          check=True).stdout


def pdf_problems(pdf, title):
    lines = run("pdffonts", str(pdf)).splitlines()
    if len(lines) < 3:
        return [f"{pdf}: no fonts at all"]
    # Fixed-width columns, as wide as the dashes under the header: name, type, encoding, emb, ...
    columns = [m.span() for m in re.finditer(r"-+", lines[1])]
    unembedded = [line[:columns[0][1]].strip() for line in lines[2:]
                  if line[columns[3][0]:columns[3][1]].strip() != "yes"]
    problems = [f"{pdf}: fonts not embedded: {', '.join(unembedded)}"] if unembedded else []
    text = run("pdftotext", "-enc", "UTF-8", "-f", "1", "-l", "1", str(pdf), "-")
    if re.sub(r"\s+", "", title) not in re.sub(r"\s+", "", text):
        problems.append(f"{pdf}: title {title!r} not on the first page")
    return problems


def check_pdfs(dist):
    problems = []
    for architecture in ("win32", "win64"):
        for document, titles in TITLES.items():
            for lcid, title in titles.items():
                pdf = dist / architecture / "Program" / "quorvel" / f"{document}_{lcid}.pdf"
                try:
                    problems += pdf_problems(pdf, title) if pdf.is_file() else [f"{pdf}: missing"]
                except (OSError, subprocess.CalledProcessError) as e:
                    problems.append(f"{pdf}: {e} {getattr(e, 'stderr', '')}".strip())
    return problems


def shown_captions(strings, lcid):
    """Every caption of the language's two string tables, in the forms a document may quote."""
    shown = set(KEYBOARD_CAPTIONS)
    for library in ("langfile", "lic"):
        for _, text, _ in check_strings.parse_strings_file(strings / f"{library}_{lcid}.txt"):
            text = re.sub(r"\(&.\)", "", text).replace("&&", "\0").replace("&", "").replace("\0", "&")
            text = re.sub("%s", "Quorvel Lite", text, flags=re.IGNORECASE).strip()
            for form in (text, re.sub(r"^[A-Z]\. ", "", text)):
                shown |= {form, re.sub(r"(\.\.\.|…+|[。.：:])$", "", form).strip()}
    return shown


def check_captions(docs, strings):
    problems = []
    for lcid in TEXT_SOURCES:
        shown = shown_captions(strings, lcid)
        for document in TITLES:
            source = docs / f"{document}_{lcid}.txt"
            # Paragraphs with their lines joined, so that a caption may run over a line end.
            for block in re.split(r"\n\s*\n", source.read_text(encoding="utf-8")):
                paragraph = ""
                for line in (line.strip() for line in block.splitlines() if not line.strip().startswith("//")):
                    space = paragraph and line and paragraph[-1].isascii() and line[0].isascii()
                    paragraph += (" " if space else "") + line
                for caption in re.findall(r"\*\*(.+?)\*\*", paragraph):
                    problems += [f"{source}: {part!r} is no caption of the {lcid} string tables"
                                 for part in caption.split(" → ") if part not in shown]
    return problems


def main(argv=None):
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dist", default=str(root / "dist"), help="folder holding win32/ and win64/")
    parser.add_argument("--docs", default=str(root / "docs"))
    parser.add_argument("--strings", default=str(root / "lang" / "strings"))
    args = parser.parse_args(argv)
    try:
        problems = check_captions(pathlib.Path(args.docs), pathlib.Path(args.strings))
    except (check_strings.StringsError, OSError) as e:
        problems = [str(e)]
    problems += check_pdfs(pathlib.Path(args.dist))
    for problem in problems:
        print(f"check_docs: {problem}", file=sys.stderr)
    if problems:
        print(f"check_docs: {len(problems)} problem(s) in the help documents", file=sys.stderr)
        return 1
    print(f"check_docs: the help documents in {args.dist} are complete and embed their fonts")
    return 0


if __name__ == "__main__":
    sys.exit(main())
