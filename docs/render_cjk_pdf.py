#!/usr/bin/env python3
"""Renders a Chinese help document from its plain-text source into an A4 PDF.

groff cannot embed a CJK font, so these documents are set with ReportLab in WenQuanYi Micro
Hei (the Mono face of the same collection for literals); both are embedded as subsets. The
paragraphs are broken into lines by cjk_typeset.py, beside this script.

Source format, UTF-8:
  key: value    header lines up to the first blank line:
                  title   one line of the centred title (may repeat)
                  author  shown under the title
                  footer  left side of every page's footer
                  page    right side of the footer; "{}" stands for the page number
                  quotes  the two marks put around captions of the program, e.g. “”
  > text        the abstract under the title
  ## text       a numbered section heading
  ### text      an unnumbered sub-heading
  - text        a bullet item
  1. text       a numbered item, numbered as written
  a | b         a table row; adjacent rows form one table whose first row is its header
  text          a paragraph
Blank lines end a block; an indented line continues the item above it. Lines starting
with "//" are comments. Inline, **text** is a caption of the program (menu entry, button,
dialog, label or message), shown between the quote marks, and `text` is a literal such as
a file name, in the monospaced face.

Usage: render_cjk_pdf.py --font wqy-microhei.ttc SOURCE OUTPUT
The PDF is written beside OUTPUT and renamed, so a failure never leaves half a document.
"""

import argparse
import os
import re
import sys

try:
    from reportlab.lib import colors
    from reportlab.lib.pagesizes import A4
    from reportlab.lib.units import cm
    from reportlab.pdfbase import pdfmetrics
    from reportlab.pdfbase.ttfonts import TTFont
    from reportlab.platypus import Flowable, SimpleDocTemplate, Spacer, Table, TableStyle
except ImportError as e:
    sys.exit(f"render_cjk_pdf: ReportLab is missing ({e}); install python3-reportlab "
             "(scripts/install-deps.sh)")

from cjk_typeset import ChineseParagraph, TooWide

SANS = "QvSans"
MONO = "QvMono"
SANS_INDEX = 0   # faces of wqy-microhei.ttc: 0 WenQuanYi Micro Hei, 1 its Mono face
MONO_INDEX = 1

BODY_SIZE = 10.5
TABLE_SIZE = 10
LEFT_MARGIN = 2.5 * cm
TEXT_WIDTH = 16 * cm
INLINE = re.compile(r"\*\*(.+?)\*\*|`([^`]+)`")
HEADER = re.compile(r"^([a-z]+):\s*(.*)$")
NUMBERED = re.compile(r"^(\d+\.)\s+(.*)$")


class SourceError(Exception):
    pass


# ---- parsing ---------------------------------------------------------------------------

def join_lines(lines):
    """Joins wrapped source lines: a space only between two Latin characters."""
    text = ""
    for line in lines:
        line = line.strip()
        if text and line and text[-1].isascii() and line[0].isascii():
            text += " "
        text += line
    return text


def parse(source):
    """Returns (header dict, list of blocks); a block is (kind, line number, content)."""
    lines = source.split("\n")
    header = {"title": []}
    i = 0
    while i < len(lines) and lines[i].strip():
        m = HEADER.match(lines[i].strip())
        if not m or m.group(1) not in ("title", "author", "footer", "page", "quotes"):
            raise SourceError(f"line {i + 1}: expected a header line such as 'title: ...'")
        if m.group(1) == "title":
            header["title"].append(m.group(2))
        else:
            header[m.group(1)] = m.group(2)
        i += 1
    for key in ("author", "footer", "page", "quotes"):
        if key not in header:
            raise SourceError(f"header line '{key}:' is missing")
    if not header["title"]:
        raise SourceError("header line 'title:' is missing")
    if len(header["quotes"]) != 2:
        raise SourceError("'quotes:' must give exactly two marks")
    if "{}" not in header["page"]:
        raise SourceError("'page:' must hold {} for the page number")

    blocks = []
    current = None   # the open block: [kind, line number, lines or rows]
    for number, raw in enumerate(lines[i:], i + 1):
        line = raw.rstrip()
        if line.lstrip().startswith("//"):
            continue
        if not line.strip():
            current = None
            continue
        stripped = line.strip()
        numbered = NUMBERED.match(stripped)
        if stripped.startswith("### "):
            blocks.append(("subheading", number, stripped[4:].strip()))
            current = None
        elif stripped.startswith("## "):
            blocks.append(("heading", number, stripped[3:].strip()))
            current = None
        elif line.startswith(" ") and current is not None and current[0] in ("bullet", "numbered"):
            current[2][1].append(stripped)
        elif stripped.startswith(">"):
            if current is None or current[0] != "abstract":
                current = ["abstract", number, []]
                blocks.append(current)
            current[2].append(stripped[1:])
        elif stripped.startswith("- ") or numbered:
            kind, mark, text = (("bullet", "•", stripped[2:]) if not numbered
                                else ("numbered", numbered.group(1), numbered.group(2)))
            current = [kind, number, (mark, [text])]
            blocks.append(current)
        elif " | " in stripped:
            cells = [c.strip() for c in stripped.split(" | ")]
            if current is not None and current[0] == "table":
                if len(cells) != len(current[2][0]):
                    raise SourceError(f"line {number}: {len(cells)} cells, the header has "
                                      f"{len(current[2][0])}")
                current[2].append(cells)
            else:
                current = ["table", number, [cells]]
                blocks.append(current)
        else:
            if current is None or current[0] != "paragraph":
                current = ["paragraph", number, []]
                blocks.append(current)
            current[2].append(stripped)
    return header, [tuple(b) for b in blocks]


# ---- fonts ------------------------------------------------------------------------------

def load_fonts(path):
    if not os.path.isfile(path):
        raise SourceError(f"font {path} not found; install fonts-wqy-microhei (scripts/install-deps.sh)")
    fonts = {}
    for name, index in ((SANS, SANS_INDEX), (MONO, MONO_INDEX)):
        # Only the characters a document uses are embedded: without asciiReadable every subset
        # would also carry all of ASCII.
        fonts[name] = TTFont(name, path, subfontIndex=index, asciiReadable=False)
        pdfmetrics.registerFont(fonts[name])
    return fonts


def check_glyphs(fonts, runs, where):
    """A character the face lacks would print as an empty box: refuse it."""
    for text, font in runs:
        cmap = fonts[font].face.charToGlyph
        missing = sorted({c for c in text if ord(c) not in cmap and not c.isspace()})
        if missing:
            raise SourceError(f"{where}: {font} has no glyph for {' '.join(missing)}")


def width_of(runs, size):
    return sum(pdfmetrics.stringWidth(text, font, size) for text, font in runs)


# ---- layout ----------------------------------------------------------------------------

class TextLine(Flowable):
    """One line of text; bold lines are stroked as well as filled, since the face has no bold."""

    def __init__(self, text, size, bold, centred, space_before, space_after, keep_with_next):
        super().__init__()
        self.text = text
        self.size = size
        self.bold = bold
        self.centred = centred
        self.spaceBefore = space_before
        self.spaceAfter = space_after
        self.keepWithNext = keep_with_next

    def wrap(self, available_width, available_height):
        self.width = available_width
        self.height = self.size * 1.4
        return self.width, self.height

    def draw(self):
        canvas = self.canv
        canvas.setFont(SANS, self.size)
        canvas.setLineWidth(self.size * 0.035)
        x = (self.width - pdfmetrics.stringWidth(self.text, SANS, self.size)) / 2 if self.centred else 0
        canvas.drawString(x, self.size * 0.35, self.text, mode=2 if self.bold else 0)


class Layout:
    """Turns the parsed blocks into flowables. Every error names the source line: ReportLab
    mangles errors raised while it lays a page out, so whatever could fail is checked here."""

    def __init__(self, header, fonts):
        self.header = header
        self.fonts = fonts

    def runs(self, text, where):
        """[(text, font)]: captions between the quote marks, literals in the monospaced face."""
        runs = []
        position = 0
        opening, closing = self.header["quotes"]
        for m in list(INLINE.finditer(text)) + [None]:
            plain = text[position:m.start() if m else len(text)]
            if "**" in plain or "`" in plain:
                raise SourceError(f"{where}: unbalanced ** or ` in {text!r}")
            runs.append((plain, SANS))
            if m and m.group(1) is not None:
                runs.append((opening + m.group(1) + closing, SANS))
            elif m:
                runs.append((m.group(2), MONO))
            position = m.end() if m else len(text)
        runs = [run for run in runs if run[0]]
        check_glyphs(self.fonts, runs, where)
        return runs

    def line(self, text, size, where, width=TEXT_WIDTH, bold=True, centred=False,
             space_before=0, space_after=0, keep_with_next=False):
        check_glyphs(self.fonts, [(text, SANS)], where)
        if pdfmetrics.stringWidth(text, SANS, size) > width:
            raise SourceError(f"{where}: {text!r} does not fit on one line")
        return TextLine(text, size, bold, centred, space_before, space_after, keep_with_next)

    def paragraph(self, runs, kind, where, width=TEXT_WIDTH, mark=None):
        body = dict(size=BODY_SIZE, leading=BODY_SIZE * 1.65, space_after=5)
        if kind == "paragraph":
            made = ChineseParagraph(runs, first_indent=2 * BODY_SIZE, **body)
        elif kind == "abstract":
            made = ChineseParagraph(runs, first_indent=2 * BODY_SIZE, left_indent=1.5 * cm,
                                    right_indent=1.5 * cm, **body)
        elif kind == "cell":
            made = ChineseParagraph(runs, TABLE_SIZE, TABLE_SIZE * 1.5)
        else:   # a bullet or numbered item
            check_glyphs(self.fonts, [(mark, SANS)], where)
            made = ChineseParagraph(runs, left_indent=1.8 * BODY_SIZE, bullet=(mark, SANS),
                                    bullet_indent=0.4 * BODY_SIZE, **dict(body, space_after=3))
        too_wide = made.too_wide(width)
        if too_wide:
            raise SourceError(f"{where}: {too_wide!r} is wider than a line")
        return made

    def table(self, rows, where):
        padding = 6
        cells = [[self.runs(cell, where) for cell in row] for row in rows]
        # Every column but the last is as wide as its widest text, up to a third of the page.
        widths = []
        for column in range(len(rows[0]) - 1):
            widest = max(width_of(row[column], TABLE_SIZE) for row in cells)
            widths.append(min(widest + 2 * padding + 1, TEXT_WIDTH / 3))
        widths.append(TEXT_WIDTH - sum(widths))
        inner = [width - 2 * padding for width in widths]
        data = [[self.line(cell, TABLE_SIZE, where, width) for cell, width in zip(rows[0], inner)]]
        for row in cells[1:]:
            data.append([self.paragraph(runs, "cell", where, width) for runs, width in zip(row, inner)])
        result = Table(data, colWidths=widths, repeatRows=1, hAlign="LEFT")
        result.setStyle(TableStyle([
            ("FONTNAME", (0, 0), (-1, -1), SANS),   # not the default, an unembedded Helvetica
            ("BOX", (0, 0), (-1, -1), 0.8, colors.black),
            ("INNERGRID", (0, 0), (-1, -1), 0.4, colors.black),
            ("LINEBELOW", (0, 0), (-1, 0), 0.4, colors.black, None, None, None, 2, 1.5),   # a double line
            ("VALIGN", (0, 0), (-1, -1), "TOP"),
            ("LEFTPADDING", (0, 0), (-1, -1), padding),
            ("RIGHTPADDING", (0, 0), (-1, -1), padding),
            ("TOPPADDING", (0, 0), (-1, -1), 3),
            ("BOTTOMPADDING", (0, 0), (-1, -1), 4),
        ]))
        result.spaceBefore = 4
        result.spaceAfter = 10
        return result

    def story(self, blocks):
        story = [self.line(title, 15, "title", centred=True, space_after=2) for title in self.header["title"]]
        story.append(self.line(self.header["author"], BODY_SIZE, "author", bold=False, centred=True,
                               space_before=4, space_after=14))
        section = 0
        previous = None
        for kind, number, content in blocks:
            where = f"line {number}"
            if kind == "heading":
                section += 1
                story.append(self.line(f"{section}.  {content}", 12.5, where,
                                       space_before=12, space_after=5, keep_with_next=True))
            elif kind == "subheading":
                story.append(self.line(content, BODY_SIZE + 0.5, where,
                                       space_before=6, space_after=3, keep_with_next=True))
            elif kind in ("bullet", "numbered"):
                mark, lines = content
                story.append(self.paragraph(self.runs(join_lines(lines), where), "item", where, mark=mark))
            elif kind == "table":
                story.append(self.table(content, where))
            else:
                made = self.paragraph(self.runs(join_lines(content), where), kind, where)
                if previous in ("bullet", "numbered"):
                    made.first_indent = 0   # indented, it would read as part of the last item
                story.append(made)
                if kind == "abstract":
                    story.append(Spacer(1, 8))
            previous = kind
        return story


def render(source_path, output, font_path):
    with open(source_path, encoding="utf-8") as f:
        header, blocks = parse(f.read().lstrip("\ufeff"))
    fonts = load_fonts(font_path)
    check_glyphs(fonts, [(header["footer"], SANS), (header["page"], SANS)], "footer")
    story = Layout(header, fonts).story(blocks)

    def footer(canvas, document):
        canvas.saveState()
        canvas.setFont(SANS, 9.5)
        canvas.drawString(LEFT_MARGIN, 1.3 * cm, header["footer"])
        canvas.drawRightString(LEFT_MARGIN + TEXT_WIDTH, 1.3 * cm, header["page"].format(document.page))
        canvas.restoreState()

    temporary = output + ".tmp"
    try:
        document = SimpleDocTemplate(
            temporary, pagesize=A4, leftMargin=LEFT_MARGIN, rightMargin=A4[0] - LEFT_MARGIN - TEXT_WIDTH,
            topMargin=2 * cm, bottomMargin=2.3 * cm, title=" ".join(header["title"]),
            author=header["author"], creator="Quorvel Lite help documents",
            invariant=1,              # no date or random id: the same source gives the same bytes
            initialFontName=SANS)     # else an unembedded Helvetica is listed too
        document.build(story, onFirstPage=footer, onLaterPages=footer)
        os.replace(temporary, output)
    finally:
        if os.path.exists(temporary):
            os.remove(temporary)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--font", required=True, help="the WenQuanYi Micro Hei collection (.ttc)")
    parser.add_argument("source")
    parser.add_argument("output")
    args = parser.parse_args(argv)
    try:
        render(args.source, args.output, args.font)
    except (SourceError, TooWide, OSError) as e:
        print(f"render_cjk_pdf: {args.source}: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
