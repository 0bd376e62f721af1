#!/usr/bin/env python3
"""Prints the balloons that explorer's tooltip trace (WINEDEBUG=+tooltips) shows,
one "title | text | icon N" line each, with the trace's \\XXXX escapes decoded.
The trace cuts long texts; such a text ends in "..." here.

    balloons.py EXPLORER_LOG
"""
import re
import sys


def decode(quoted):
    return re.sub(r"\\([0-9a-f]{4})", lambda m: chr(int(m.group(1), 16)), quoted)


text = None
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    added = re.search(r'TOOLTIPS_AddToolT add text L"(.*)"(\.\.\.)?$', line)
    if added:
        text = decode(added.group(1)) + (added.group(2) or "")
    titled = re.search(r'TOOLTIPS_SetTitleT hwnd = \w+, title = L"(.*)", icon = (\w+)$', line)
    if titled and text is not None:
        print(f"{decode(titled.group(1))} | {text} | icon {int(titled.group(2), 16)}")
        text = None
