#!/usr/bin/env bash
# Installs what is needed, builds pemmo and its tests as CI does (assertions kept, warnings are
# errors), checks formatting and clang-tidy, and runs the whole suite headless: the unit and
# window tests first, then the end-to-end ones as a stage of their own.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/check-format.sh

cmake --preset ci
cmake --build --preset ci -j "$(nproc)"
# Every file was clean at the commit this names; only what may have changed since is checked.
# After a full run (scripts/check-tidy.sh build-ci) passes, write that commit here.
scripts/check-tidy.sh build-ci --since "$(cat scripts/tidy-clean-base)"
export QT_QPA_PLATFORM=offscreen
ctest --preset ci -j "$(nproc)" --timeout 600 --label-exclude e2e
ctest --preset ci -j "$(nproc)" --timeout 600 --label-regex e2e
