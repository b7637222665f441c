#!/usr/bin/env python3
# Turns the hand-written win-*.rtf.in (UTF-8 for readability) into the RTF files an old Windows
# writer would have made: every character beyond ASCII as its CP932 bytes in \'hh escapes, and
# CR LF line ends. Latin-1/1252 bytes for western fonts are already written as \'hh in the sources.
import pathlib, sys

here = pathlib.Path(__file__).resolve().parent
out_dir = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else here.parent
for source in sorted(here.glob("win-*.rtf.in")):
    text = source.read_text(encoding="utf-8")
    out = []
    for ch in text:
        if ord(ch) < 0x80:
            out.append(ch)
        else:
            out.append("".join("\\'%02x" % b for b in ch.encode("cp932")))
    rtf = "".join(out).replace("\r\n", "\n").replace("\n", "\r\n")
    (out_dir / source.name[:-3]).write_bytes(rtf.encode("ascii"))
