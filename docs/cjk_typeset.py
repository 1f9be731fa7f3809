"""Chinese paragraphs for ReportLab: lines broken by the rules of Chinese typesetting, and justified.

ReportLab's own CJK wrapping (wordWrap="CJK", version 3.6) may leave an opening quote at the
end of a line, and justifies only by widening spaces, of which Chinese text has none. Here a
paragraph is cut into units that may not be split: one Chinese character, or one Latin word,
with the punctuation that must stay beside it (a closing mark never starts a line, an opening
mark never ends one). Lines take whole units; the room left over on every line but the last
is shared out between the units, and a last line never holds a single character.
"""

from reportlab.pdfbase import pdfmetrics
from reportlab.platypus import Flowable

NO_LINE_START = "，。、；：？！）」』”’》〉】…,.;:?!)]}%"
NO_LINE_END = "（「『“‘《〈【([{"
MAX_STRETCH = 0.2   # at most a fifth of an em between two units, or the line stays ragged


class TooWide(ValueError):
    pass


class Unit:
    """Text that stays on one line: pieces [(text, font)], their width, and the width of the
    space before the unit (0 when the source has none)."""

    def __init__(self, space):
        self.pieces = []
        self.width = 0.0
        self.space = space

    def add(self, text, font, size):
        if self.pieces and self.pieces[-1][1] == font:
            self.pieces[-1] = (self.pieces[-1][0] + text, font)
        else:
            self.pieces.append((text, font))
        self.width += pdfmetrics.stringWidth(text, font, size)

    def text(self):
        return "".join(text for text, _ in self.pieces)


def is_latin(c):
    """Part of a Latin word, which is never split: "Setting.ini" breaks neither at "." nor after it."""
    return c.isascii() and not c.isspace()


def units(runs, size):
    """Cuts runs [(text, font)] into Units."""
    result = []
    spaced = False
    glue_next = False   # the last unit ends with an opening mark
    previous_latin = False
    for text, font in runs:
        for c in text:
            if c.isspace():
                spaced = bool(result)
                previous_latin = False
                continue
            latin = is_latin(c)
            if result and not spaced and (glue_next or c in NO_LINE_START or (latin and previous_latin)):
                result[-1].add(c, font, size)
            else:
                unit = Unit(pdfmetrics.stringWidth(" ", font, size) if spaced else 0.0)
                unit.add(c, font, size)
                result.append(unit)
            glue_next = c in NO_LINE_END
            previous_latin = latin
            spaced = False
    return result


def break_lines(all_units, first_width, width):
    """Greedy line breaking: [[unit, ...], ...]; raises TooWide for a unit longer than a line."""
    lines = []
    line = []
    used = 0.0
    room = first_width
    for unit in all_units:
        gap = unit.space if line else 0.0
        if line and used + gap + unit.width > room + 0.01:
            lines.append(line)
            line, used, room, gap = [], 0.0, width, 0.0
        if not line and unit.width > room + 0.01:
            raise TooWide(f"{unit.text()!r} is wider than the line")
        line.append(unit)
        used += gap + unit.width
    if line:
        lines.append(line)
    # A last line of one character looks lost: it takes a second from the line above.
    if len(lines) > 1 and len(lines[-1]) == 1 and len(lines[-2]) > 2 and not lines[-1][0].space:
        lines[-1].insert(0, lines[-2].pop())
    return lines


class ChineseParagraph(Flowable):
    def __init__(self, runs, size, leading, first_indent=0.0, left_indent=0.0, right_indent=0.0,
                 bullet=None, bullet_indent=0.0, justify=True, space_before=0.0, space_after=0.0):
        super().__init__()
        self.size = size
        self.leading = leading
        self.first_indent = first_indent
        self.left_indent = left_indent
        self.right_indent = right_indent
        self.bullet = bullet            # (text, font) drawn on the first line, or None
        self.bullet_indent = bullet_indent
        self.justify = justify
        self.justify_last = False       # the first part of a split paragraph fills its last line
        self.spaceBefore = space_before
        self.spaceAfter = space_after
        self.units = units(runs, size)
        self.lines = []

    def too_wide(self, available_width):
        """The text of the first unit that cannot fit on a line of this width, or None."""
        inner = available_width - self.left_indent - self.right_indent - max(self.first_indent, 0.0)
        return next((unit.text() for unit in self.units if unit.width > inner + 0.01), None)

    def wrap(self, available_width, available_height):
        inner = available_width - self.left_indent - self.right_indent
        self.lines = break_lines(self.units, inner - self.first_indent, inner)
        self.width = available_width
        self.height = len(self.lines) * self.leading
        return self.width, self.height

    def split(self, available_width, available_height):
        self.wrap(available_width, available_height)
        fit = int((available_height + 0.01) // self.leading)
        if fit < 2 or len(self.lines) - fit < 2:   # no lone line at the foot or the head of a page
            return []
        head = self._copy([u for line in self.lines[:fit] for u in line])
        head.spaceAfter = 0
        head.justify_last = self.justify
        tail = self._copy([u for line in self.lines[fit:] for u in line])
        tail.first_indent, tail.bullet, tail.spaceBefore = 0.0, None, 0
        return [head, tail]

    def _copy(self, some_units):
        part = ChineseParagraph([], self.size, self.leading, self.first_indent, self.left_indent,
                                self.right_indent, self.bullet, self.bullet_indent, self.justify,
                                self.spaceBefore, self.spaceAfter)
        part.units = some_units
        return part

    def draw(self):
        canvas = self.canv
        inner = self.width - self.left_indent - self.right_indent
        for number, line in enumerate(self.lines):
            top = self.height - number * self.leading
            baseline = top - (self.leading - self.size) / 2 - 0.8 * self.size
            x = self.left_indent + (self.first_indent if number == 0 else 0)
            room = inner - (self.first_indent if number == 0 else 0)
            gaps = [unit.space if i else 0.0 for i, unit in enumerate(line)]
            natural = sum(gaps) + sum(unit.width for unit in line)
            last = number == len(self.lines) - 1
            stretch = 0.0
            if self.justify and len(line) > 1 and (not last or self.justify_last):
                stretch = (room - natural) / (len(line) - 1)
                if stretch > MAX_STRETCH * self.size:
                    stretch = 0.0
            if number == 0 and self.bullet:
                text, font = self.bullet
                canvas.setFont(font, self.size)
                canvas.drawString(self.bullet_indent, baseline, text)
            for i, unit in enumerate(line):
                x += gaps[i] + (stretch if i else 0.0)
                for text, font in unit.pieces:
                    canvas.setFont(font, self.size)
                    canvas.drawString(x, baseline, text)
                    x += pdfmetrics.stringWidth(text, font, self.size)
