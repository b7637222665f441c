#!/bin/sh
# SPDX-License-Identifier: MIT
# bench/grep_bench.sh [BUILD] [WORK]: pemmo-grep -r on a 20 000-file, ~300 MB tree in CP932,
# EUC-JP, UTF-8 and UTF-16, against ripgrep (2 threads) and GNU grep on a UTF-8 copy; checks that
# all three find the same lines and prints the best of three runs each (the files in the page cache).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
work=${2:-${TMPDIR:-/tmp}/pemmo-grep-bench}
pemmo_grep=$build/src/grep/pemmo-grep
command -v rg >/dev/null || { echo "ripgrep is missing: apt-get install ripgrep" >&2; exit 2; }
[ -x "$pemmo_grep" ] || { echo "build pemmo-grep first ($pemmo_grep)" >&2; exit 2; }
export LC_ALL=C.UTF-8

if [ ! -d "$work/mixed" ]; then
    echo "making the tree in $work ..." >&2
    python3 "$here/grep/make_tree.py" "$work/mixed" "$work/utf8"
fi
echo "tree: $(find "$work/mixed" -type f | wc -l) files, $(du -sm "$work/mixed" | cut -f1) MB" \
    "(UTF-8 copy $(du -sm "$work/utf8" | cut -f1) MB)"

# best of three, in seconds
best() {
    out=$1; shift
    b=
    for _ in 1 2 3; do
        s=$(date +%s.%N)
        "$@" >"$out" || [ $? -eq 1 ]
        e=$(date +%s.%N)
        t=$(echo "$e - $s" | bc)
        if [ -z "$b" ] || [ "$(echo "$t < $b" | bc)" = 1 ]; then b=$t; fi
    done
    printf '%.3f' "$b"
}

printf '\n| pattern | pemmo-grep -r (mixed tree) | rg -j2 (UTF-8 copy) | grep -r (UTF-8 copy) | pemmo-grep / rg | lines | same lines |\n'
printf '|---|---|---|---|---|---|---|\n'
for pattern in 東京都 Error 見つからない語句; do
    tp=$(best "$work/pemmo.out" "$pemmo_grep" -r "$pattern" "$work/mixed")
    tr=$(best "$work/rg.out" rg -j2 -n --no-heading --no-config -F -e "$pattern" "$work/utf8")
    tg=$(best "$work/grep.out" grep -rnF -e "$pattern" "$work/utf8")
    python3 "$here/grep/compare.py" pemmo "$work/mixed" "$work/pemmo.out" >"$work/pemmo.set"
    python3 "$here/grep/compare.py" other "$work/utf8" "$work/rg.out" >"$work/rg.set"
    python3 "$here/grep/compare.py" other "$work/utf8" "$work/grep.out" >"$work/grep.set"
    same=yes
    cmp -s "$work/pemmo.set" "$work/grep.set" || same=NO
    cmp -s "$work/rg.set" "$work/grep.set" || same=NO
    printf '| %s | %s s | %s s | %s s | %.2f× | %s | %s |\n' "$pattern" "$tp" "$tr" "$tg" \
        "$(echo "$tp / $tr" | bc -l)" "$(wc -l <"$work/grep.set")" "$same"
done
