#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy; any finding is an error) over the program's sources,
# using the compile commands of a build folder.
#   scripts/check-tidy.sh BUILD_DIR            every file under src/
#   scripts/check-tidy.sh BUILD_DIR --changed  only the files changed since PEMMO_TIDY_BASE
#                                              (default: origin/main), and uncommitted ones
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/check-tidy.sh BUILD_DIR [--changed]}
if [ "${2:-}" = "--changed" ]; then
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
