#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# compare.py KIND ROOT FILE: the set of "relative path:line:text" in a result file of pemmo-grep
# ("path(line,column) [encoding]: text") or of grep/rg ("path:line:text"), one per line, sorted.
import re
import sys

kind, root, path = sys.argv[1], sys.argv[2].rstrip("/") + "/", sys.argv[3]
pemmo = re.compile(r"^(.+?)\((\d+),(\d+)\) \[[^\]]*\]: (.*)$")
out = set()
with open(path, encoding="utf-8", newline="\n") as f:
    for raw in f:
        raw = raw.rstrip("\n")
        if kind == "pemmo":
            m = pemmo.match(raw)
            file, line, text = m.group(1), m.group(2), m.group(4)
        else:
            file, line, text = raw.split(":", 2)
        if file.startswith(root):
            file = file[len(root):]
        out.add("%s:%s:%s" % (file, line, text.rstrip("\r")))
for entry in sorted(out):
    print(entry)
