#!/usr/bin/env python3
"""Checks the help documents of every shipped language.

Each program folder (dist/win32, dist/win64) holds feature_<lcid>.pdf and what_<lcid>.pdf of every
language, every font embedded (else CJK shows as boxes) and the title in that language on the first
page. The captions the Chinese sources quote as **caption** (a menu path as **a → b**) are captions
of that language's string tables as the user sees them: no access key, "%s" filled in with the
product name; a closing stop, colon or ellipsis and an "A. " list label may be left out.
"""

import pathlib
import re
import subprocess
import sys

import check_strings

TITLES = {"feature": {"0409": "Features of this edition", "0804": "本版本功能一览", "0404": "本版功能一覽"},
          "what": {"0409": "User guide", "0804": "用户指南", "0404": "使用者指南"}}
KEYBOARD_CAPTIONS = {"Delete", "<----"}   # the on-screen keyboard's edit keys


def pdf_problems(pdf, title):
    """Fonts not embedded and a missing title, by poppler's tools; raises OSError or CalledProcessError."""
    def run(*command):
        return subprocess.run(command, capture_output=True, text=True, encoding="utf-8", errors="replace",
                              check=True).stdout
    # After the name, type and encoding (which may hold spaces): emb, sub, uni and the object id.
    unembedded = [line.split()[0] for line in run("pdffonts", str(pdf)).splitlines()[2:] if line.split()[-5] != "yes"]
    problems = [f"{pdf}: fonts not embedded: {', '.join(unembedded)}"] if unembedded else []
    if re.sub(r"\s+", "", title) not in re.sub(r"\s+", "", run("pdftotext", "-enc", "UTF-8", "-l", "1", str(pdf), "-")):
        problems.append(f"{pdf}: title {title!r} not on the first page")
    return problems


def shown_captions(strings, lcid):
    """Every caption of the language's two string tables, in the forms a document may quote."""
    shown = set(KEYBOARD_CAPTIONS)
    for library in ("langfile", "lic"):
        for _, text, _ in check_strings.parse_strings_file(strings / f"{library}_{lcid}.txt"):
            text = re.sub(r"\(&.\)|&(&?)", r"\1", text)   # "(&F)", "&F" and "&&" as shown
            text = re.sub("%s", "Quorvel Lite", text, flags=re.IGNORECASE).strip()
            for form in (text, re.sub(r"^[A-Z]\. ", "", text)):
                shown |= {form, re.sub(r"(\.\.\.|…+|[。.：:])$", "", form).strip()}
    return shown


def caption_problems(docs, strings, lcid):
    shown, problems = shown_captions(strings, lcid), []
    for source in (docs / f"{document}_{lcid}.txt" for document in TITLES):
        lines = (line.strip() for line in source.read_text(encoding="utf-8").splitlines())
        text = "\n".join(line for line in lines if not line.startswith("//"))
        # A caption may run over a line end, not over a paragraph's; a line end between ASCII is a space.
        for paragraph in text.split("\n\n"):
            paragraph = re.sub(r"(?<=[\x00-\x7f])\n(?=[\x00-\x7f])", " ", paragraph).replace("\n", "")
            problems += [f"{source}: {part!r} is no caption of the {lcid} string tables"
                         for caption in re.findall(r"\*\*(.+?)\*\*", paragraph)
                         for part in caption.split(" → ") if part not in shown]
    return problems


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    problems = []
    for lcid in ("0804", "0404"):   # the sources written as text; English is groff -ms
        try:
            problems += caption_problems(root / "docs", root / "lang" / "strings", lcid)
        except (check_strings.StringsError, OSError) as e:
            problems.append(str(e))
    for architecture in ("win32", "win64"):
        for document, titles in TITLES.items():
            for lcid, title in titles.items():
                pdf = root / "dist" / architecture / "Program" / "quorvel" / f"{document}_{lcid}.pdf"
                try:
                    problems += pdf_problems(pdf, title) if pdf.is_file() else [f"{pdf}: missing"]
                except (OSError, subprocess.CalledProcessError) as e:
                    problems.append(f"{pdf}: {e} {getattr(e, 'stderr', '')}".strip())
    for problem in problems:
        print(f"check_docs: {problem}", file=sys.stderr)
    if not problems:
        print("check_docs: the help documents in dist are complete and embed their fonts")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
