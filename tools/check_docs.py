#!/usr/bin/env python3
"""Checks the help documents of every shipped language.

In each program folder (dist/win32 and dist/win64) the Help menu opens feature_<lcid>.pdf and
what_<lcid>.pdf, with no fallback to another language. For every language both must exist,
every font they use must be embedded (pdffonts; a missing CJK font shows as empty boxes),
and the first page must carry the document's title in that language (pdftotext), which
catches a document made from the wrong source or shipped under the wrong name.

The Chinese sources in docs/ quote the program's captions as **caption** (a menu path as
**a → b**). Each must be a caption of that language's string tables, as the user sees it:
without its access key, "%s" filled in with the product name; a closing stop, colon or
ellipsis and an "A. " list label may be left out. The on-screen keyboard's edit keys keep
captions of their own.

Usage: check_docs.py [--dist DIR] [--docs DIR] [--strings DIR]
Exits 1 on any problem.
"""

import argparse
import pathlib
import re
import subprocess
import sys

import check_strings

ARCHITECTURES = ("win32", "win64")
PROGRAM_FOLDER = pathlib.Path("Program") / "quorvel"
TITLES = {
    "feature": {"0409": "Features of this edition", "0804": "本版本功能一览", "0404": "本版功能一覽"},
    "what": {"0409": "User guide", "0804": "用户指南", "0404": "使用者指南"},
}
LANGUAGES = tuple(check_strings.CODE_PAGES)
TEXT_SOURCES = ("0804", "0404")   # written as docs/<document>_<lcid>.txt; English is groff -ms
PRODUCT = "Quorvel Lite"
KEYBOARD_CAPTIONS = {"Delete", "<----"}
CAPTION = re.compile(r"\*\*(.+?)\*\*")
ACCESS_KEY = re.compile(r"\(&.\)")


def run(command):
    """stdout of a poppler tool; raises OSError when it cannot run or fails."""
    try:
        done = subprocess.run(command, capture_output=True, text=True, encoding="utf-8", errors="replace")
    except FileNotFoundError:
        raise OSError(f"{command[0]} not found (poppler-utils)")
    if done.returncode != 0:
        raise OSError(f"{' '.join(command)} failed: {done.stderr.strip()}")
    return done.stdout


def unembedded_fonts(pdf):
    """Names of the fonts pdffonts lists as not embedded; [None] when it lists no font at all."""
    lines = run(["pdffonts", str(pdf)]).splitlines()
    if len(lines) < 3:
        return [None]
    # Columns are fixed-width, as wide as the dashes under the header: name, type, encoding, emb, ...
    columns = [m.span() for m in re.finditer(r"-+", lines[1])]
    emb_start, emb_end = columns[3]
    return [line[:columns[0][1]].strip() for line in lines[2:] if line[emb_start:emb_end].strip() != "yes"]


def first_page_text(pdf):
    return re.sub(r"\s+", "", run(["pdftotext", "-enc", "UTF-8", "-f", "1", "-l", "1", str(pdf), "-"]))


def check_pdfs(dist):
    problems = []
    for architecture in ARCHITECTURES:
        folder = dist / architecture / PROGRAM_FOLDER
        for document, titles in TITLES.items():
            for lcid in LANGUAGES:
                pdf = folder / f"{document}_{lcid}.pdf"
                if not pdf.is_file():
                    problems.append(f"{pdf}: missing")
                    continue
                try:
                    unembedded = unembedded_fonts(pdf)
                    text = first_page_text(pdf)
                except OSError as e:
                    problems.append(f"{pdf}: {e}")
                    continue
                if unembedded == [None]:
                    problems.append(f"{pdf}: no fonts at all")
                elif unembedded:
                    problems.append(f"{pdf}: fonts not embedded: {', '.join(unembedded)}")
                if re.sub(r"\s+", "", titles[lcid]) not in text:
                    problems.append(f"{pdf}: title {titles[lcid]!r} not on the first page")
    return problems


def shown_captions(strings, lcid):
    """Every caption of the language's two string tables, in the forms a document may quote."""
    shown = set(KEYBOARD_CAPTIONS)
    for library in ("langfile", "lic"):
        for _, text, _ in check_strings.parse_strings_file(strings / f"{library}_{lcid}.txt"):
            text = ACCESS_KEY.sub("", text).replace("&&", "\0").replace("&", "").replace("\0", "&")
            text = re.sub("%s", PRODUCT, text, flags=re.IGNORECASE).strip()
            for form in (text, re.sub(r"^[A-Z]\. ", "", text)):
                shown.add(form)
                shown.add(re.sub(r"(\.\.\.|…+|[。.：:])$", "", form).strip())
    return shown


def joined_paragraphs(source):
    """The source's paragraphs with their lines joined, so a caption may run over a line end."""
    paragraphs = []
    for block in re.split(r"\n\s*\n", source):
        text = ""
        for line in block.splitlines():
            line = line.strip()
            if line.startswith("//"):
                continue
            if text and line and text[-1].isascii() and line[0].isascii():
                text += " "
            text += line
        paragraphs.append(text)
    return paragraphs


def check_captions(docs, strings):
    problems = []
    for lcid in TEXT_SOURCES:
        shown = shown_captions(strings, lcid)
        for document in TITLES:
            source = docs / f"{document}_{lcid}.txt"
            if not source.is_file():
                problems.append(f"{source}: missing")
                continue
            for paragraph in joined_paragraphs(source.read_text(encoding="utf-8")):
                for caption in CAPTION.findall(paragraph):
                    for part in caption.split(" → "):
                        if part not in shown:
                            problems.append(f"{source}: {part!r} is no caption of the {lcid} string tables")
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
    count = len(ARCHITECTURES) * len(TITLES) * len(LANGUAGES)
    print(f"check_docs: {count} help documents in {args.dist} are complete and embed their fonts")
    return 0


if __name__ == "__main__":
    sys.exit(main())
