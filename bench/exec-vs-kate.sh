#!/bin/bash
# SPDX-License-Identifier: MIT
# Opens the same 100 MB CP932 text with the real pemmo binary and with Kate (`kate -e CP932`),
# each from exec, under an Xvfb of its own, and measures per start:
#   mapped  wall time from exec until the program's first window is mapped (polled every 10 ms)
#   idle    wall time from exec until idle (below)
#   cpu     user+sys CPU time of the process from exec to idle (/proc/PID/stat, 10 ms ticks)
#   peak    peak resident memory of the process (VmHWM)
# Idle: once the window is mapped, the CPU time grew by less than 20 ms (two ticks) during a
# whole second; that second is part of the wall time but adds (almost) no CPU time. The process
# is then ended with SIGTERM. Helper processes a program starts are not counted.
# Each program has a home of its own, kept from start to start (a first start, not counted,
# makes its settings and caches). Programs run interleaved, ROUNDS times each; the medians
# and the spread (min-max) follow.
#
# Usage: bench/exec-vs-kate.sh [PEMMO_BINARY] [ROUNDS]
#        (default build/src/app/pemmo, 3 rounds; needs Xvfb, xdotool, kate, iconv)
set -euo pipefail

PEMMO=$(realpath "${1:-build/src/app/pemmo}")
ROUNDS=${2:-3}
for tool in Xvfb xdotool kate iconv; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done
[ -x "$PEMMO" ] || { echo "no pemmo binary at $PEMMO" >&2; exit 2; }

WORK=$(mktemp -d)
XVFB_PID=
cleanup() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# The editor benchmark's line, as Windows writes it: CP932 with CR LF.
FILE=$WORK/cp932-100.txt
printf '吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。表示 ｱｲｳ ASCII 0123456789\r\n' |
    iconv -f UTF-8 -t CP932 >"$WORK/line"
cat "$WORK/line" "$WORK/line" "$WORK/line" "$WORK/line" >"$WORK/4"
for _ in 1 2 3 4 5 6 7 8 9 10 11; do cat "$WORK/4" "$WORK/4" >"$WORK/8" && mv "$WORK/8" "$WORK/4"; done
# 8192 lines; repeat to 100 MiB.
: >"$FILE"
while [ "$(stat -c %s "$FILE")" -lt $((100 * 1024 * 1024)) ]; do cat "$WORK/4" >>"$FILE"; done

# A display well away from the numbers test suites and desktops use, and free now.
DISPLAY_NUMBER=$((150 + $$ % 100))
while :; do
    while [ -e "/tmp/.X$DISPLAY_NUMBER-lock" ] || [ -e "/tmp/.X11-unix/X$DISPLAY_NUMBER" ]; do
        DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1))
    done
    Xvfb ":$DISPLAY_NUMBER" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do xdpyinfo -display ":$DISPLAY_NUMBER" >/dev/null 2>&1 && break 2; sleep 0.05; done
    kill "$XVFB_PID" 2>/dev/null
    DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1))
done
export DISPLAY=":$DISPLAY_NUMBER"
unset QT_QPA_PLATFORM

TICK=$(getconf CLK_TCK)
now() { date +%s.%N; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo -1; }

# run NAME COMMAND...: prints "NAME mapped idle cpu peak" (seconds, seconds, seconds, MiB).
run() {
    local name=$1
    shift
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "Xvfb on $DISPLAY has gone" >&2; exit 1; }
    local home=$WORK/home-$name
    mkdir -p "$home"
    chmod 700 "$home"
    local start pid mapped=
    start=$(now)
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache \
        XDG_RUNTIME_DIR=$home "$@" >/dev/null 2>"$WORK/$name.log" &
    pid=$!
    while [ -z "$mapped" ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "$name exited before mapping a window:" >&2
            tail -20 "$WORK/$name.log" >&2
            return 1
        fi
        if xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; then
            mapped=$(now)
        else
            sleep 0.01
        fi
    done
    local last still=0 ticks
    last=$(cpu_ticks "$pid")
    while [ "$still" -lt 10 ]; do
        sleep 0.1
        ticks=$(cpu_ticks "$pid")
        if [ "$ticks" -lt 0 ]; then
            echo "$name exited before idle" >&2
            return 1
        fi
        # A quiet stretch starts afresh when the CPU time grew by 20 ms or more since it began.
        if [ $((ticks - last)) -ge 2 ]; then
            last=$ticks
            still=0
        else
            still=$((still + 1))
        fi
    done
    local idle peak
    idle=$(echo "$(now) - $start" | bc)
    peak=$(awk '/VmHWM/ { print int($2 / 1024) }' "/proc/$pid/status")
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
    printf '%s %.2f %.2f %.2f %d\n' "$name" "$(echo "$mapped - $start" | bc)" "$idle" \
        "$(echo "scale=3; $ticks / $TICK" | bc)" "$peak"
}

# One start of each first, not counted: both then find their settings and caches from a
# previous start, as a user's programs do.
echo "warming up" >&2
run pemmo "$PEMMO" --editor "$FILE" >/dev/null
run kate kate -n -e CP932 "$FILE" >/dev/null

RESULTS=$WORK/results
: >"$RESULTS"
for round in $(seq "$ROUNDS"); do
    echo "round $round" >&2
    run pemmo "$PEMMO" --editor "$FILE" | tee -a "$RESULTS" >&2
    run kate kate -n -e CP932 "$FILE" | tee -a "$RESULTS" >&2
done

echo
echo "100 MiB CP932 from exec, $ROUNDS rounds: median (min-max)"
printf '%-6s %-22s %-22s %-22s %s\n' program "window mapped [s]" "CPU to idle [s]" "wall to idle [s]" "peak RSS [MiB]"
for name in pemmo kate; do
    summary() { # column
        grep "^$name " "$RESULTS" | awk -v c="$1" '{ print $c }' | sort -n |
            awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                  printf "%s (%s-%s)", m, v[1], v[NR] }'
    }
    printf '%-6s %-22s %-22s %-22s %s\n' "$name" "$(summary 2)" "$(summary 4)" "$(summary 3)" "$(summary 5)"
done
