#!/bin/sh
# Regenerates every RTF file of this folder from src/ with the real writers:
# LibreOffice Writer (soffice), pandoc and AbiWord, and the hand-written old Windows files.
set -eu
cd "$(dirname "$0")"
profile="file:///tmp/lo-rtf-roundtrip-corpus-$$"
lo() { soffice "-env:UserInstallation=$profile" --headless "$@"; }

# LibreOffice: HTML through its Writer HTML filter, flat ODF as it is.
lo --infilter="HTML (StarWriter)" --convert-to rtf --outdir . src/lo-*.html
lo --convert-to rtf --outdir . src/lo-*.fodt

# pandoc: Markdown with footnotes, fancy lists, strike, super/subscript and small capitals.
for f in src/pandoc-*.md; do
    name=$(basename "$f" .md)
    pandoc -s -f markdown -t rtf -o "$name.rtf" "$f"
done

# AbiWord: its own format and HTML.
for f in src/abi-*.abw src/abi-*.html; do
    name=$(basename "${f%.*}")
    abiword --to=rtf -o "$PWD/$name.rtf" "$f"
done

# Hand-written, in the old Windows style (CP932 bytes, CR LF).
python3 src/make-handwritten.py .

# soffice exits 0 even when a conversion fails: check every source gave its file.
missing=0
for f in src/*.html src/*.fodt src/*.md src/*.abw src/*.rtf.in; do
    name=$(basename "$f"); name=${name%.in}; name=${name%.*}
    if [ ! -s "$name.rtf" ]; then echo "missing: $name.rtf" >&2; missing=1; fi
done
rm -rf "/tmp/lo-rtf-roundtrip-corpus-$$"
exit $missing
