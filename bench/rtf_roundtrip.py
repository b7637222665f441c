#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""How much of an RTF file survives a round trip through pemmo's save, judged by LibreOffice.

For each RTF file: LibreOffice converts it to RTF (its own round trip), pemmo-convert loads and
saves it as the editor does; LibreOffice then exports the original and both round trips as flat
ODF (structures, character formats, header/footer/note text with font and colour) and as text
(list labels as LibreOffice shows them). Prints a markdown table per file and a summary.

  rtf_roundtrip.py --convert build-ci/src/formats/pemmo-convert [FILE.rtf ...]
      measure (the files of tests/data/rtf-roundtrip when none are named)
  --oracle FILE        take the original's and LibreOffice's figures from FILE instead of
                       measuring them again (LibreOffice then exports only pemmo's files)
  --write-oracle FILE  measure and store the original's and LibreOffice's figures in FILE
  --check              exit 1 when a structure falls under --threshold (0.95) of what
                       LibreOffice's round trip keeps, or header/footer/note text loses its
                       characters, face, size or colour where LibreOffice's round trip keeps them
Exit 77 when soffice is missing, 2 when data or a tool is missing.

A copy "keeps" a count up to the original's (LibreOffice adds colour to notes, so more is not better);
list labels, lines and sizes count the original's that the copy still shows. Faces are reported,
not checked. KNOWN names the shortfalls that are understood; they are printed, not failed.
"""
import argparse
import collections
import difflib
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
    "xlink": "http://www.w3.org/1999/xlink",
    "svg": "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0",
}


def q(name):
    prefix, local = name.split(":")
    return "{%s}%s" % (NS[prefix], local)


ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "tests" / "data" / "rtf-roundtrip"

# Counted structures, in table order. "kept" ones count what the original has and a copy still shows.
STRUCTURES = [
    "cells", "merged cells", "links", "list items", "list labels", "headings", "footnotes",
    "endnotes", "lines", "bold", "italic", "underline", "strike", "superscript", "subscript",
    "colour", "highlight", "small caps", "capitals", "hidden", "sizes", "faces", "East Asian faces",
    "alignments", "cell lines",
]
# Counted characters of the body (the original's, matched in the copy's text) that keep their size,
# western face and East Asian face.
ATTRIBUTES = ["sizes", "faces", "East Asian faces"]
# Reported, not checked. LibreOffice shows headings in its own Heading face where the file's \f names
# another. Where a file names no East Asian face (AbiWord, old Windows files whose runs have one \f),
# LibreOffice picks one itself, from the font table or its defaults, and picks another for the copy,
# whose font table holds only the faces in use; for old Windows files it shows the original's Japanese
# in its default face and the copy's in the \fcharset128 face the run names, as Word does.
REPORT_ONLY = {"faces", "East Asian faces"}
# Shortfalls known and explained: reported, not failed. Each names its file and what it concerns.
KNOWN = {
    ("win-pnlists.rtf", "list labels"):
        "LibreOffice numbers old \\pn paragraphs on from the list before and drops letters, roman and "
        "\\pnlvlN outline numbers; pemmo shows the labels the file's own \\pntext gives",
    ("win-pnlists.rtf", "lines"): "the same list labels",
    ("lo-notes.rtf", "note sizes"):
        "LibreOffice sets its notes in the source stylesheet's Footnote style (10 pt) over the notes' own \\fs22; "
        "pemmo's stylesheet has only the styles its text uses, so they show at the 11 pt they state",
}
# Header, footer or note text whose characters, colours and western fonts are kept but whose East Asian
# characters come back in another face: the files name no East Asian face, and LibreOffice picks its own.
KNOWN_EAST_ASIAN_FACE = {"abi-notes.rtf", "win-mixed.rtf"}

FORMATS = ["bold", "italic", "underline", "strike", "superscript", "subscript", "colour",
           "highlight", "small caps", "capitals", "hidden"]


def is_cjk(ch):
    o = ord(ch)
    return (0x2E80 <= o <= 0x9FFF) or (0xF900 <= o <= 0xFAFF) or (0xFF00 <= o <= 0xFFEF) or o >= 0x20000


class Styles:
    def __init__(self, root):
        self.styles = {}
        self.other = {}  # paragraph and cell properties: (family, name) -> (parent, properties)
        self.defaults = {}
        self.fonts = {}
        for face in root.iter(q("style:font-face")):
            family = face.get(q("svg:font-family")) or face.get(q("style:name"))
            self.fonts[face.get(q("style:name"))] = family.strip("'\"")
        for container in ("office:styles", "office:automatic-styles"):
            for block in root.iter(q(container)):
                for st in block.findall(q("style:style")):
                    key = (st.get(q("style:family")), st.get(q("style:name")))
                    props = st.find(q("style:text-properties"))
                    self.styles[key] = (st.get(q("style:parent-style-name")),
                                        dict(props.attrib) if props is not None else {})
                    others = {}
                    for kind in ("style:paragraph-properties", "style:table-cell-properties"):
                        found = st.find(q(kind))
                        if found is not None:
                            others.update(found.attrib)
                    self.other[key] = (st.get(q("style:parent-style-name")), others)
                for st in block.findall(q("style:default-style")):
                    props = st.find(q("style:text-properties"))
                    if props is not None:
                        self.defaults[st.get(q("style:family"))] = dict(props.attrib)

    def is_heading(self, name):
        """A paragraph in a heading style: LibreOffice reads some headings back without an outline level."""
        seen = set()
        while name and name not in seen:
            seen.add(name)
            if re.fullmatch(r"Heading_20_[1-9]", name):
                return True
            name = self.styles.get(("paragraph", name), (None, {}))[0]
        return False

    def other_property(self, family, name, attr):
        seen = set()
        while name and name not in seen:
            seen.add(name)
            parent, props = self.other.get((family, name), (None, {}))
            if q(attr) in props:
                return props[q(attr)]
            name = parent
        return None

    def cell_sides(self, name):
        """The sides of a cell with a line, as LibreOffice shows them: "tlbr" letters."""
        everywhere = self.other_property("table-cell", name, "fo:border")
        out = ""
        for letter, side in (("t", "top"), ("l", "left"), ("b", "bottom"), ("r", "right")):
            line = self.other_property("table-cell", name, "fo:border-" + side) or everywhere or "none"
            if line != "none":
                out += letter
        return out

    def chain(self, family, name):
        out = []
        seen = set()
        while name and (family, name) not in seen:
            seen.add((family, name))
            parent, props = self.styles.get((family, name), (None, {}))
            out.append(props)
            name = parent
        return out


def effective(chains, attr):
    for props in chains:
        if attr in props:
            return props[attr]
    return None


def char_formats(ch, chains, styles):
    asian = is_cjk(ch)
    weight = effective(chains, q("style:font-weight-asian") if asian else q("fo:font-weight"))
    slant = effective(chains, q("style:font-style-asian") if asian else q("fo:font-style"))
    position = effective(chains, q("style:text-position")) or ""
    colour = (effective(chains, q("fo:color")) or "auto").lower()
    if colour == "#000000":
        colour = "auto"
    background = (effective(chains, q("fo:background-color")) or "transparent").lower()
    font_key = effective(chains, q("style:font-name-asian") if asian else q("style:font-name"))
    font = styles.fonts.get(font_key, font_key or "")
    size = effective(chains, q("style:font-size-asian") if asian else q("fo:font-size"))
    first = position.split()[0] if position else ""
    out = {
        "bold": weight in ("bold", "600", "700", "800", "900"),
        "italic": slant in ("italic", "oblique"),
        "underline": (effective(chains, q("style:text-underline-style")) or "none") != "none",
        "strike": (effective(chains, q("style:text-line-through-style")) or "none") != "none",
        "superscript": first == "super" or (first.endswith("%") and first[:-1].lstrip("-").replace(".", "").isdigit()
                                             and float(first[:-1]) > 0),
        "subscript": first == "sub" or (first.endswith("%") and first.startswith("-")),
        "colour": colour != "auto",
        "highlight": background != "transparent",
        "small caps": effective(chains, q("fo:font-variant")) == "small-caps",
        "capitals": effective(chains, q("fo:text-transform")) == "uppercase",
        "hidden": effective(chains, q("text:display")) == "none",
    }
    return out, font, colour, size


class Walker:
    """Collects, per part (body, header, footer, note n), each character with its formats."""

    def __init__(self, styles):
        self.styles = styles
        self.parts = collections.OrderedDict()
        self.counts = collections.Counter()
        self.list_paragraphs = []
        self.notes = 0
        self.body = []
        self.aligned = []  # "centre TEXT" for each paragraph not aligned to the start
        self.cells = []  # each cell's sides with a line, in order

    def add(self, part, ch, chains):
        if ch.isspace():
            return
        formats, font, colour, size = char_formats(ch, chains, self.styles)
        self.parts.setdefault(part, []).append((ch, font, size or "", colour))
        if part == "body":
            self.body.append((ch, font, size or ""))
        if part == "body" or part.startswith("note"):
            for name, on in formats.items():
                if on:
                    self.counts[name] += 1

    def inline(self, elem, part, chains):
        if elem.text:
            for ch in elem.text:
                self.add(part, ch, chains)
        for child in elem:
            tag = child.tag
            if tag in (q("text:span"), q("text:a")):
                if tag == q("text:a") and child.get(q("xlink:href")):
                    self.counts["links"] += 1
                inner = self.styles.chain("text", child.get(q("text:style-name"))) + chains
                self.inline(child, part, inner)
            elif tag == q("text:s"):
                pass
            elif tag == q("text:note"):
                self.notes += 1
                cls = child.get(q("text:note-class")) or "footnote"
                self.counts["footnotes" if cls == "footnote" else "endnotes"] += 1
                body = child.find(q("text:note-body"))
                if body is not None:
                    self.block(body, "note %d" % self.notes, in_list=False)
            elif tag in (q("text:note-citation"), q("text:bookmark"), q("text:bookmark-start"),
                         q("text:bookmark-end"), q("office:annotation")):
                pass
            else:
                self.inline(child, part, chains)
            if child.tail:
                for ch in child.tail:
                    self.add(part, ch, chains)

    def paragraph(self, elem, part, in_list):
        chains = self.styles.chain("paragraph", elem.get(q("text:style-name")))
        chains = chains + [self.styles.defaults.get("paragraph", {})]
        if in_list and part == "body":
            self.list_paragraphs.append(plain_text(elem))
        if part == "body":
            align = self.styles.other_property("paragraph", elem.get(q("text:style-name")), "fo:text-align")
            align = {"start": "left", "end": "right", None: "left"}.get(align, align)
            text = squash(plain_text(elem))
            if text and align != "left":
                self.aligned.append(align + " " + text)
        self.inline(elem, part, chains)

    def block(self, elem, part, in_list):
        for child in elem:
            tag = child.tag
            if tag in (q("text:p"), q("text:h")):
                if part == "body" and (tag == q("text:h") or self.styles.is_heading(child.get(q("text:style-name")))):
                    self.counts["headings"] += 1
                self.paragraph(child, part, in_list)
            elif tag == q("text:list-item"):
                # A heading in a list is outline numbering, not a list item.
                if part == "body" and child.find(q("text:p")) is not None:
                    self.counts["list items"] += 1
                self.block(child, part, True)
            elif tag == q("table:table-cell"):
                if part == "body":
                    self.counts["cells"] += 1
                    self.cells.append(self.styles.cell_sides(child.get(q("table:style-name"))))
                    if int(child.get(q("table:number-columns-spanned"), "1")) > 1 or \
                            int(child.get(q("table:number-rows-spanned"), "1")) > 1:
                        self.counts["merged cells"] += 1
                self.block(child, part, in_list)
            elif tag in (q("text:list"), q("table:table"), q("table:table-row"), q("table:table-rows"),
                         q("table:table-header-rows"), q("text:section"), q("table:table-row-group"),
                         q("text:list-header")):
                self.block(child, part, in_list)


def plain_text(elem):
    out = []

    def walk(e):
        if e.tag in (q("text:note"),):
            return
        if e.tag == q("text:s"):
            out.append(" " * int(e.get(q("text:c"), "1")))
        elif e.tag == q("text:tab"):
            out.append("\t")
        if e.text and e.tag != q("text:note"):
            out.append(e.text)
        for c in e:
            walk(c)
            if c.tail:
                out.append(c.tail)

    walk(elem)
    return "".join(out)


def squash(line):
    return " ".join(line.split())


def measure(fodt_path, txt_path):
    root = ET.parse(fodt_path).getroot()
    styles = Styles(root)
    walker = Walker(styles)
    body = root.find(q("office:body") + "/" + q("office:text"))
    if body is None:
        raise RuntimeError("no text body in " + str(fodt_path))
    walker.block(body, "body", in_list=False)
    seen = set()
    kinds = ("header", "footer", "header-left", "footer-left", "header-first", "footer-first")
    for page in root.iter(q("style:master-page")):
        for kind in kinds:
            el = page.find(q("style:" + kind))
            if el is None:
                continue
            before = len(walker.parts)
            name = "%s %d" % (kind.split("-")[0], sum(1 for k in walker.parts if k.startswith(kind.split("-")[0])) + 1)
            walker.block(el, name, in_list=False)
            sig = json.dumps(walker.parts.get(name, []))
            if name in walker.parts and (sig in seen or not walker.parts[name]):
                del walker.parts[name]
            elif len(walker.parts) > before:
                seen.add(sig)
    lines = [squash(line) for line in pathlib.Path(txt_path).read_text(encoding="utf-8-sig").splitlines()]
    lines = [line for line in lines if line]
    # A list paragraph's line as shown, label first: the paragraph's own text is its tail.
    labelled = []
    for text in walker.list_paragraphs:
        text = squash(text)
        if not text:
            continue
        for line in lines:
            if line.endswith(text) and len(line) > len(text):
                labelled.append(line)
                break
    parts = {}
    for name, chars in walker.parts.items():
        if name == "body":
            continue
        parts[name] = chars
    body_text = "".join(c[0] for c in walker.parts.get("body", []))
    return {
        "counts": {k: walker.counts.get(k, 0) for k in STRUCTURES if k not in ("list labels", "lines")},
        "labelled": labelled,
        "aligned": walker.aligned,
        "cell sides": walker.cells,
        "lines": lines,
        "parts": parts,
        "text": body_text,
        "body": walker.body,
    }


def kept_lines(original, copy):
    have = collections.Counter(copy)
    kept = 0
    for line in original:
        if have[line] > 0:
            have[line] -= 1
            kept += 1
    return kept


def figures(original, copy):
    """Counts for COPY; list labels and lines count what of the original's the copy still shows."""
    out = dict(copy["counts"])
    out["list labels"] = kept_lines(original["labelled"], copy["lines"])
    out["lines"] = kept_lines(original["lines"], copy["lines"])
    theirs, ours = original["body"], copy["body"]
    out["alignments"] = kept_lines(original["aligned"], copy["aligned"])
    out["cell lines"] = sum(a == b for a, b in zip(original["cell sides"], copy["cell sides"]))
    for name in ATTRIBUTES:
        out[name] = 0
    matcher = difflib.SequenceMatcher(None, "".join(c[0] for c in theirs), "".join(c[0] for c in ours),
                                      autojunk=False)
    for a, b, n in matcher.get_matching_blocks():
        for (ch, face, size), (_, copy_face, copy_size) in zip(theirs[a:a + n], ours[b:b + n]):
            out["sizes"] += size == copy_size
            out["East Asian faces" if is_cjk(ch) else "faces"] += face == copy_face
    return out


def runs(chars):
    out = []
    for ch, font, size, colour in chars:
        if out and out[-1][1:] == [font, size, colour]:
            out[-1][0] += ch
        else:
            out.append([ch, font, size, colour])
    return " | ".join("%s [%s %s, %s]" % tuple(r) for r in out)


def same(a, b):
    return [list(c) for c in a] == [list(c) for c in b]


def without(chars, east_asian_face=False, size=False):
    """CHARS with the East Asian characters' face or every size left out, to tell which one differs."""
    return [[c, "" if east_asian_face and is_cjk(c) else f, "" if size else z, k] for c, f, z, k in chars]


def soffice_export(soffice, profile, files, outdir, target):
    outdir.mkdir(parents=True, exist_ok=True)
    if not files:
        return
    # Batches keep a stuck conversion from costing the whole run.
    for i in range(0, len(files), 30):
        batch = files[i:i + 30]
        subprocess.run([soffice, "-env:UserInstallation=" + profile.as_uri(), "--headless", "--convert-to", target,
                        "--outdir", str(outdir)] + [str(f) for f in batch],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600, check=False)


def exported(outdir, stem, ext):
    path = outdir / (stem + "." + ext)
    # soffice exits 0 even when it could not convert: the file must be there.
    if not path.is_file() or path.stat().st_size == 0:
        raise RuntimeError("LibreOffice made no %s of %s" % (ext, stem))
    return path


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("files", nargs="*")
    ap.add_argument("--convert", default=str(ROOT / "build-ci" / "src" / "formats" / "pemmo-convert"))
    ap.add_argument("--oracle")
    ap.add_argument("--write-oracle")
    ap.add_argument("--check", action="store_true")
    ap.add_argument("--threshold", type=float, default=0.95)
    ap.add_argument("--keep", help="keep the converted files in this folder")
    ap.add_argument("--summary-only", action="store_true")
    args = ap.parse_args()

    files = [pathlib.Path(f) for f in args.files] or sorted(CORPUS.glob("*.rtf"))
    if not files:
        print("FAIL: no RTF files in " + str(CORPUS))
        return 2
    for f in files:
        if not f.is_file():
            print("FAIL: missing " + str(f))
            return 2
    if not os.access(args.convert, os.X_OK):
        print("FAIL: pemmo-convert not found at " + args.convert)
        return 2
    oracle = None
    if args.oracle:
        try:
            oracle = json.loads(pathlib.Path(args.oracle).read_text(encoding="utf-8"))
        except OSError as e:
            print("FAIL: oracle missing: %s" % e)
            return 2

    if oracle is not None and not args.files:
        missing = sorted(set(oracle) - {f.name for f in files})
        if missing:
            print("FAIL: corpus files missing: " + ", ".join(missing))
            return 2

    # Missing data fails above; only a missing LibreOffice skips.
    soffice = shutil.which("soffice")
    if not soffice:
        print("SKIP: soffice not found: install libreoffice-writer-nogui to measure RTF round trips")
        return 77

    work = pathlib.Path(args.keep) if args.keep else pathlib.Path(tempfile.mkdtemp(prefix="rtf-roundtrip-"))
    profile = pathlib.Path(tempfile.mkdtemp(prefix="rtf-roundtrip-profile-"))
    try:
        for sub in ("orig", "lo", "pemmo"):
            (work / sub).mkdir(parents=True, exist_ok=True)
        failures = []
        for f in files:
            shutil.copyfile(f, work / "orig" / f.name)
            result = subprocess.run([args.convert, "--allow-loss", str(f), str(work / "pemmo" / f.name)],
                                    capture_output=True, text=True, timeout=120)
            if result.returncode != 0:
                failures.append("%s: pemmo-convert failed: %s" % (f.name, result.stderr.strip()))
        need_lo = oracle is None
        if need_lo:
            soffice_export(soffice, profile, [work / "orig" / f.name for f in files], work / "lo", "rtf")
        kinds = ["pemmo"] + (["orig", "lo"] if need_lo else [])
        for kind in kinds:
            sources = [work / kind / f.name for f in files if (work / kind / f.name).is_file()]
            soffice_export(soffice, profile, sources, work / kind / "fodt", "fodt")
            soffice_export(soffice, profile, sources, work / kind / "txt", "txt:Text (encoded):UTF8")

        report = {}
        for f in files:
            stem = f.stem
            try:
                measured = {}
                for kind in kinds:
                    measured[kind] = measure(exported(work / kind / "fodt", stem, "fodt"),
                                             exported(work / kind / "txt", stem, "txt"))
            except (RuntimeError, ET.ParseError) as e:
                failures.append("%s: %s" % (f.name, e))
                continue
            if oracle is not None:
                if f.name not in oracle:
                    failures.append("%s: not in the oracle" % f.name)
                    continue
                entry = oracle[f.name]
                original = entry["original"]
                orig_fig, lo_fig, lo_parts = entry["figures"]["orig"], entry["figures"]["lo"], entry["parts"]["lo"]
            else:
                original = measured["orig"]
                orig_fig = figures(original, original)
                lo_fig = figures(original, measured["lo"])
                lo_parts = measured["lo"]["parts"]
            pemmo_fig = figures(original, measured["pemmo"])
            report[f.name] = {
                "original": {k: original[k] for k in ("labelled", "lines", "parts", "body", "aligned", "cell sides")},
                "figures": {"orig": orig_fig, "lo": lo_fig, "pemmo": pemmo_fig},
                "parts": {"orig": original["parts"], "lo": lo_parts, "pemmo": measured["pemmo"]["parts"]},
            }
            if "orig" in measured:
                report[f.name]["original"]["counts"] = measured["orig"]["counts"]
                report[f.name]["original"]["text"] = measured["orig"]["text"]

        if args.write_oracle:
            stored = {name: {"original": r["original"], "figures": {k: r["figures"][k] for k in ("orig", "lo")},
                             "parts": {"lo": r["parts"]["lo"]}} for name, r in report.items()}
            # One line a file: small, and a change shows as the files it touches.
            lines = [json.dumps(name, ensure_ascii=False) + ": " +
                     json.dumps(entry, ensure_ascii=False, separators=(",", ":")) for name, entry in stored.items()]
            pathlib.Path(args.write_oracle).write_text("{\n" + ",\n".join(lines) + "\n}\n", encoding="utf-8")

        worst = {}
        known = []
        for name, r in report.items():
            fig = r["figures"]
            rows = []
            for s in STRUCTURES:
                o, lo, pm = fig["orig"].get(s, 0), fig["lo"].get(s, 0), fig["pemmo"].get(s, 0)
                if o == 0 and lo == 0 and pm == 0:
                    continue
                # What a copy keeps: its count, up to the original's (LibreOffice adds colour to notes, say).
                lo_kept, pm_kept = min(lo, o), min(pm, o)
                ratio = pm_kept / lo_kept if lo_kept else None
                if ratio is not None:
                    if s not in worst or ratio < worst[s][0]:
                        worst[s] = (ratio, name)
                    if s in REPORT_ONLY:
                        pass
                    elif ratio < args.threshold and (name, s) in KNOWN:
                        known.append("%s: %s: %d of LibreOffice's %d: %s" % (name, s, pm, lo, KNOWN[(name, s)]))
                    elif ratio < args.threshold:
                        failures.append("%s: %s: %d of LibreOffice's %d (%.0f %%)" % (name, s, pm, lo, 100 * ratio))
                rows.append("| %s | %d | %d | %d | %s |" % (s, o, lo, pm, "–" if ratio is None else "%.2f" % ratio))
            part_rows = []
            parts = r["parts"]
            for part, chars in parts["orig"].items():
                chars = [list(c) for c in chars]
                ours = [list(c) for c in parts["pemmo"].get(part, [])]
                lo_same = [list(c) for c in parts["lo"].get(part, [])] == chars
                pm_same = ours == chars
                part_rows.append("| %s | %s | %s | %s |" % (part, runs(chars)[:90], "same" if lo_same else "differs",
                                                            "same" if pm_same else "differs"))
                east_asian = name in KNOWN_EAST_ASIAN_FACE
                note_size = (name, "note sizes") in KNOWN and part.startswith("note")
                if lo_same and not pm_same and (east_asian or note_size) and \
                        without(chars, east_asian, note_size) == without(ours, east_asian, note_size):
                    known.append("%s: %s: %s: %s -> %s" % (
                        name, part, "East Asian characters in another face" if east_asian else KNOWN[(name, "note sizes")],
                        runs(chars), runs(ours)))
                elif lo_same and not pm_same:
                    failures.append("%s: %s text, font or colour changed: %s -> %s" % (
                        name, part, runs(chars), runs(ours)))
            if not args.summary_only:
                print("### %s\n" % name)
                print("| structure | original | LibreOffice | pemmo | pemmo / LibreOffice |")
                print("|---|---|---|---|---|")
                print("\n".join(rows))
                if part_rows:
                    print("\n| part | characters [font, colour] | LibreOffice | pemmo |")
                    print("|---|---|---|---|")
                    print("\n".join(part_rows))
                print()
        totals = {k: collections.Counter() for k in ("orig", "lo", "pemmo")}
        for r in report.values():
            for k in totals:
                totals[k].update(r["figures"][k])
        print("### Summary (%d files)\n" % len(report))
        print("| structure | original | LibreOffice | pemmo | pemmo / LibreOffice | worst file |")
        print("|---|---|---|---|---|---|")
        for s in STRUCTURES:
            o, lo, pm = totals["orig"][s], totals["lo"][s], totals["pemmo"][s]
            w = worst.get(s)
            lo_kept = sum(min(r["figures"]["lo"].get(s, 0), r["figures"]["orig"].get(s, 0)) for r in report.values())
            pm_kept = sum(min(r["figures"]["pemmo"].get(s, 0), r["figures"]["orig"].get(s, 0)) for r in report.values())
            print("| %s | %d | %d | %d | %s | %s |" % (s + (" (reported only)" if s in REPORT_ONLY else ""), o, lo, pm, "%.2f" % (pm_kept / lo_kept) if lo_kept else "–",
                                                       "%.2f %s" % (w[0], w[1]) if w else "–"))
        parts_total = sum(len(r["parts"]["orig"]) for r in report.values())
        pm_same = sum(1 for r in report.values() for p, c in r["parts"]["orig"].items() if same(r["parts"]["pemmo"].get(p, []), c))
        lo_same = sum(1 for r in report.values() for p, c in r["parts"]["orig"].items() if same(r["parts"]["lo"].get(p, []), c))
        print("\nHeader, footer and note text with font and colour unchanged: LibreOffice %d of %d, pemmo %d of %d."
              % (lo_same, parts_total, pm_same, parts_total))
        if known:
            print("\n" + "\n".join("KNOWN: " + k for k in known))
        if failures:
            print("\n" + "\n".join("FAIL: " + f for f in failures))
        return 1 if args.check and failures else 0
    finally:
        shutil.rmtree(profile, ignore_errors=True)
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
