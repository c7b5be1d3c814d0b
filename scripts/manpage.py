#!/usr/bin/env python3
"""Turns a program's --help text into its manual page, so the two never differ.

    manpage.py NAME SECTION "one-line summary" VERSION < help.txt > NAME.SECTION

The help text is read as the programs print it:
- the lines up to the first blank line are the usage lines (SYNOPSIS);
- a line at the left margin that ends with ":" heads a subsection;
- a line indented by two spaces that starts with "-" (or, under an "Options:" or
  "Commands:" heading, any line indented by two spaces) begins an item: its name
  and argument run up to the first gap of two spaces, its description follows,
  continued by the more deeply indented lines after it;
- other lines at the left margin are running text, filled by the viewer;
- other indented lines are kept as they stand (examples, formats).
"""
import re
import sys

OPTION = re.compile(r"^  (-\S.*?)(?:\s{2,}(.*))?$")
# Under an "Options:" or "Commands:" heading, an item may also start with a word.
ITEM = re.compile(r"^  (\S.*?)(?:\s{2,}(.*))?$")
LISTS = ("Options", "Commands")


def escape(text):
    """The troff escapes for text taken literally."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def blocks(lines):
    """Yields (kind, lines) for the text after the usage lines."""
    index = 0
    item = OPTION
    while index < len(lines):
        line = lines[index]
        if not line.strip():
            yield "blank", []
            index += 1
        elif not line.startswith(" ") and line.rstrip().endswith(":") and len(line) < 60:
            heading = line.rstrip()[:-1]
            item = ITEM if heading in LISTS else OPTION
            yield "heading", [heading]
            index += 1
        elif item.match(line):
            option = [line]
            index += 1
            while index < len(lines) and lines[index].startswith("   ") and not item.match(lines[index]):
                option.append(lines[index])
                index += 1
            yield "option", option
        elif not line.startswith(" "):
            item = OPTION  # running text ends a list of commands
            paragraph = []
            while index < len(lines) and lines[index].strip() and not lines[index].startswith(" "):
                if lines[index].rstrip().endswith(":") and paragraph == [] and len(lines[index]) < 60:
                    break
                paragraph.append(lines[index])
                index += 1
            yield "text", paragraph
        else:
            kept = []
            while index < len(lines) and lines[index].startswith(" ") and not item.match(lines[index]):
                kept.append(lines[index])
                index += 1
            yield "kept", kept


def page(name, section, summary, version, help_text):
    lines = help_text.rstrip("\n").split("\n")
    split = lines.index("") if "" in lines else len(lines)
    usage, rest = lines[:split], lines[split + 1:]
    out = [
        f'.TH {name.upper()} {section} "" "corvane {version}" "User Commands"',
        # Left-aligned and unhyphenated: the text is full of options, paths and
        # JSON that must read as typed.
        ".ad l",
        ".nh",
        ".SH NAME",
        f"{escape(name)} \\- {escape(summary)}",
        ".SH SYNOPSIS",
        ".nf",
    ]
    out += [escape(re.sub(r"^\s*usage:\s*", "", line)) if i == 0 else escape(line.strip())
            for i, line in enumerate(usage)]
    out += [".fi", ".SH DESCRIPTION"]
    for kind, block in blocks(rest):
        if kind == "heading":
            out.append(f".SS {escape(block[0])}")
        elif kind == "option":
            match = ITEM.match(block[0])
            out.append(".TP")
            out.append(f"\\fB{escape(match.group(1).strip())}\\fR")
            description = [match.group(2) or ""] + [line.strip() for line in block[1:]]
            out += [escape(line) for line in description if line]
        elif kind == "text":
            out.append(".PP")
            out += [escape(line) for line in block]
        elif kind == "kept":
            out.append(".PP")
            out.append(".nf")
            out += [escape(line) for line in block]
            out.append(".fi")
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__.strip().split("\n\n")[1])
    name, section, summary, version = sys.argv[1:]
    sys.stdout.write(page(name, section, summary, version, sys.stdin.read()))


if __name__ == "__main__":
    main()
