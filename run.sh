#!/usr/bin/env bash
# Installs what is needed, builds pemmo and starts it with the given file (if any).
# Without a display it runs the editor under Xvfb, saves a screenshot to build/screenshot.png and stops.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

cmake --preset default -DPEMMO_BUILD_TESTS=OFF
cmake --build --preset default -j "$(nproc)" --target pemmo
binary=build/src/app/pemmo

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$binary" "$@"
fi

echo "No display: starting pemmo under Xvfb to take a screenshot."
display=":$(( 90 + RANDOM % 100 ))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp &
xvfb=$!
cleanup() { kill "${app:-}" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$binary" "$@" &
app=$!
shown=""
for _ in $(seq 150); do
    kill -0 "$app" 2>/dev/null || break
    if xdotool search --onlyvisible --pid "$app" >/dev/null 2>&1; then shown=yes; break; fi
    sleep 0.1
done
if [ -z "$shown" ]; then
    echo "pemmo showed no window (it may have started as the tray launcher, which needs a desktop)." >&2
    exit 1
fi
sleep 1 # let the first paint finish
import -window root build/screenshot.png
echo "Screenshot saved to build/screenshot.png; pemmo stopped."
