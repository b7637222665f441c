#!/usr/bin/env bash
# Installs what is needed, builds pemmo and its tests, and runs the whole suite headless.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/check-format.sh

cmake --preset default -DPEMMO_BUILD_TESTS=ON
cmake --build --preset default -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --preset default -j "$(nproc)" --timeout 600
