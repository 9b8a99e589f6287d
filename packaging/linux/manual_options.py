#!/usr/bin/env python3
"""Writes brisol-cli's manual page from its template, with the list of
options taken from what `brisol-cli --help` prints, so the options are
described in one place.

Usage: manual_options.py BRISOL_CLI TEMPLATE OUTPUT
(TEMPLATE has its version filled in; %OPTIONS% marks the list.)
"""
import re
import subprocess
import sys


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return re.sub(r'"([^"]*)"', r"\\(lq\1\\(rq", text)


def option_entries(help_text):
    lines = help_text.split("\n")
    start = lines.index("Options:") + 1
    entries = []
    for line in lines[start:]:
        if not line.strip():
            break
        head = re.match(r"  (\S.*?)(?:\s{2,}(.*))?$", line)
        if head and not line.startswith("   "):
            entries.append([head.group(1), [head.group(2) or ""]])
        else:
            entries[-1][1].append(line.strip())
    return entries


def entry_roff(option, words):
    names = []
    for name in option.split(", "):
        flag, _, argument = name.partition(" ")
        names.append(f"\\fB{roff(flag)}\\fR" + (f" \\fI{roff(argument)}\\fR" if argument else ""))
    text = " ".join(w for w in words if w)
    return f".TP\n{', '.join(names)}\n{roff(text[:1].upper() + text[1:])}.\n"


def main():
    program, template, output = sys.argv[1:4]
    help_text = subprocess.run([program, "--help"], check=True, capture_output=True, text=True).stdout
    entries = "".join(entry_roff(option, words) for option, words in option_entries(help_text))
    with open(template, encoding="utf-8") as source:
        page = source.read()
    with open(output, "w", encoding="utf-8") as target:
        target.write(page.replace("%OPTIONS%\n", entries))


if __name__ == "__main__":
    main()
