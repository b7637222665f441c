#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy; any finding is an error) over the program's sources,
# using the compile commands of a build folder.
#   scripts/check-tidy.sh BUILD_DIR            every file under src/
#   scripts/check-tidy.sh BUILD_DIR --changed  only the files changed since PEMMO_TIDY_BASE
#                                              (default: origin/main), and uncommitted ones
#   scripts/check-tidy.sh BUILD_DIR --since REV
#       the files whose findings may differ from REV's, when every file was clean at REV: each
#       source that changed or includes a changed header (by the build's own dependency record,
#       so BUILD_DIR must be built); all of them when the checks changed or REV is unknown
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/check-tidy.sh BUILD_DIR [--changed | --since REV]}
if [ "${2:-}" = "--since" ]; then
    base=${3:?--since needs a revision}
    if ! git rev-parse -q --verify "$base^{commit}" >/dev/null || ! git merge-base --is-ancestor "$base" HEAD ||
        ! git diff --quiet "$base" -- .clang-tidy; then
        echo "clang-tidy: $base is no clean base here; checking every file"
        mapfile -t files < <(git ls-files 'src/*.cpp')
    else
        changed=$({ git diff --name-only "$base" -- src; git ls-files --others --exclude-standard src; } | sort -u)
        # ninja's record: an object's line, then its source and every header it read, one per line.
        # Paths are as the compiler was given them: absolute, or relative to the build folder.
        mapfile -t files < <(ninja -C "$build" -t deps | CHANGED=$changed ROOT=$PWD/ awk '
            BEGIN { n = split(ENVIRON["CHANGED"], list, "\n"); for (i = 1; i <= n; i++) wanted[list[i]] = 1 }
            /^[^ ]/ { source = ""; next }
            /^    / { path = $1; sub(/^(\.\.\/)+/, "", path)
                      if (index(path, ENVIRON["ROOT"]) == 1) path = substr(path, length(ENVIRON["ROOT"]) + 1)
                      if (source == "") source = path
                      if (path in wanted) print source }' |
            sort -u | grep -Fx -f <(git ls-files 'src/*.cpp'; git ls-files --others --exclude-standard 'src/*.cpp') || true)
        # Every changed source is in its own record; one that is not means the record was misread.
        while read -r source; do
            if [ -f "$source" ] && ! printf '%s\n' "${files[@]}" | grep -Fxq "$source"; then
                echo "clang-tidy: $source is not in the build's record; checking every file"
                mapfile -t files < <(git ls-files 'src/*.cpp')
                break
            fi
        done < <(grep '\.cpp$' <<<"$changed" || true)
    fi
elif [ "${2:-}" = "--changed" ]; then
    base=${PEMMO_TIDY_BASE:-origin/main}
    mapfile -t files < <({ git diff --name-only "$base" -- 'src/*.cpp'; git ls-files --others --exclude-standard 'src/*.cpp'; } | sort -u)
else
    mapfile -t files < <(git ls-files 'src/*.cpp')
fi
if [ "${#files[@]}" -eq 0 ]; then
    echo "clang-tidy: no files to check"
    exit 0
fi
start=$SECONDS
if ! printf '%s\n' "${files[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2> >(grep -v ' warnings\? generated\.$' >&2); then
    echo "clang-tidy found problems (see above)" >&2
    exit 1
fi
echo "clang-tidy: ${#files[@]} files clean in $((SECONDS - start)) s"
