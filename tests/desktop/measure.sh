#!/usr/bin/env bash
# Start-up and idle figures of desktop programs, measured in one run under a
# private Xvfb: time from start to the first presented frame (the programs
# print it when KELVO_TRACE_FIRST_FRAME=1), CPU time used while idle over
# IDLE_SECONDS (default 20), peak resident memory (VmHWM) and thread count.
# Not a test: run it by hand and compare the programs side by side.
# Usage: measure.sh PROGRAM...   (e.g. build/tests/desktop/bare_sdl build/kelvo)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_lib.sh"
CLEANUP_DIR=$(mktemp -d)
start_xvfb
idle=${IDLE_SECONDS:-20}
ticks=$(getconf CLK_TCK)
printf '%-28s %14s %16s %12s %8s\n' program first-frame-ms "idle-cpu-ms/${idle}s" VmHWM-KiB threads
for program in "$@"; do
    err=$CLEANUP_DIR/err.txt
    start=$(date +%s.%N)
    XDG_CONFIG_HOME=$CLEANUP_DIR/config KELVO_TRACE_FIRST_FRAME=1 "$program" >/dev/null 2>"$err" &
    pid=$!
    wait_for 10 grep -q kelvo-first-frame "$err" || fail "$program printed no first-frame time: $(cat "$err")"
    first=$(awk '/kelvo-first-frame/ {print $2; exit}' "$err")
    sleep 1  # let start-up settle before the idle window
    cpu0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$idle"
    cpu1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    threads=$(awk '/Threads/ {print $2}' "/proc/$pid/status")
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    printf '%-28s %14.1f %16d %12d %8d\n' "$(basename "$program")" \
        "$(awk -v a="$first" -v b="$start" 'BEGIN {print (a - b) * 1000}')" $(((cpu1 - cpu0) * 1000 / ticks)) "$hwm" "$threads"
done
