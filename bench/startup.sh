#!/usr/bin/env bash
# The figures of the README's performance table, for the abacus and for the
# bare SDL2 program it is compared with, measured in one run under one
# private Xvfb:
#   start-up        start of the process to its first complete frame (both
#                   print it when KELVO_TRACE_FIRST_FRAME=1)
#   idle CPU        CPU time of all threads over IDLE_SECONDS, from
#                   /proc/<pid>/task/*/schedstat (nanoseconds)
#   wake-ups        voluntary context switches of all threads per second
#                   over the same window (each is one sleep that ended)
#   VmHWM           peak resident memory
#   repaints and one message: bench_abacus (the real main form on the SDL
#                   host) beside `bare_sdl --bench` (the same work done
#                   with SDL alone)
# Start-up, idle and memory are measured RUNS times, the programs started
# in turn after one start each that is not counted (it warms the file cache
# and creates the abacus's settings, so the counted starts are the usual
# ones, with settings to read), and the median is reported: the figures of
# a loaded machine wander. The instructions each program runs from its
# start to its first frame are counted too, under valgrind's callgrind
# (KELVO_TRACE_FIRST_FRAME=exit ends the program there): a start-up figure
# that the machine's load does not change (CALLGRIND=0 leaves it out).
# Not a test: `make perf` runs it and prints a table for the README.
# Usage: startup.sh [BUILD_DIR]   (default: build)
# Environment: RUNS (default 5), IDLE_SECONDS (default 10), CALLGRIND (1).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
source "$root/tests/desktop/xvfb_lib.sh"
CLEANUP_DIR=$(mktemp -d)
start_xvfb
# Builds running beside make the times wander: where allowed (as root), the
# display server and the measured programs run at a higher priority, the
# same for both programs.
boost=()
if renice -n -10 -p "$XVFB_PID" >/dev/null 2>&1; then boost=(nice -n -10); fi

runs=${RUNS:-5}
idle=${IDLE_SECONDS:-10}
kelvo=$build/kelvo
bare=$build/tests/desktop/bare_sdl
bench=$build/bench/bench_abacus
for p in "$kelvo" "$bare" "$bench"; do
    [ -x "$p" ] || fail "$p is not built (cmake --build $build --target kelvo bare_sdl bench_abacus)"
done

# Sums of the process's threads: "cpu_ns voluntary_switches".
thread_totals() {
    local pid=$1 cpu=0 vol=0 t
    for t in /proc/"$pid"/task/*; do
        cpu=$((cpu + $(awk '{print $1}' "$t/schedstat" 2>/dev/null || echo 0)))
        vol=$((vol + $(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status" 2>/dev/null || echo 0)))
    done
    echo "$cpu $vol"
}

# One start of PROGRAM; appends "first_ms idle_cpu_ms wakeups_per_s hwm_kib"
# to the file OUT.
measure_once() {
    local program=$1 out=$2 err=$CLEANUP_DIR/err.txt
    local start
    start=$(date +%s.%N)
    XDG_CONFIG_HOME=$CLEANUP_DIR/config KELVO_TRACE_FIRST_FRAME=1 "${boost[@]}" "$program" >/dev/null 2>"$err" &
    local pid=$!
    wait_for 20 grep -q kelvo-first-frame "$err" || fail "$program printed no first-frame time: $(cat "$err")"
    local first
    first=$(awk '/kelvo-first-frame/ {print $2; exit}' "$err")
    sleep 1 # let start-up settle before the idle window
    local a b
    a=$(thread_totals "$pid")
    sleep "$idle"
    b=$(thread_totals "$pid")
    local hwm
    hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v f="$first" -v s="$start" -v a="$a" -v b="$b" -v idle="$idle" -v hwm="$hwm" 'BEGIN {
        split(a, x, " "); split(b, y, " ")
        printf "%.1f %.2f %.2f %d\n", (f - s) * 1000, (y[1] - x[1]) / 1e6, (y[2] - x[2]) / idle, hwm
    }' >>"$out"
}

# The median of column COL of FILE.
median() {
    sort -g -k"$2,$2" "$1" | awk -v c="$2" '{v[NR] = $c} END {
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "measuring start-up, idle and memory: $runs runs each, ${idle} s idle" >&2
k=$CLEANUP_DIR/kelvo.txt b=$CLEANUP_DIR/bare.txt
idle_wanted=$idle
idle=0
measure_once "$kelvo" /dev/null
measure_once "$bare" /dev/null
idle=$idle_wanted
: >"$k"
: >"$b"
for i in $(seq 1 "$runs"); do
    measure_once "$kelvo" "$k"
    measure_once "$bare" "$b"
    echo "  run $i: kelvo $(tail -n1 "$k") | bare $(tail -n1 "$b")" >&2
done

# Instructions from the start to the first frame, under callgrind.
instructions() {
    local program=$1 err=$CLEANUP_DIR/cg-err.txt
    XDG_CONFIG_HOME=$CLEANUP_DIR/config KELVO_TRACE_FIRST_FRAME=exit timeout 120 valgrind --tool=callgrind \
        --callgrind-out-file=/dev/null "$program" >/dev/null 2>"$err" || true
    grep -q kelvo-first-frame "$err" || fail "$program under valgrind printed no first frame: $(tail -n3 "$err")"
    # The largest count is the program's; a smaller one comes from a child
    # that SDL forks to look for a session bus.
    awk '/Collected :/ && $NF > n {n = $NF} END {printf "%.1f\n", n / 1e6}' "$err"
}
if [ "${CALLGRIND:-1}" = 1 ]; then
    command -v valgrind >/dev/null || fail "valgrind is missing (tools/install-deps.sh installs it)"
    echo "counting start-up instructions under callgrind" >&2
    kelvo_instr=$(instructions "$kelvo")
    bare_instr=$(instructions "$bare")
fi

echo "measuring repaints and messages" >&2
# bench_abacus: Google Benchmark, CSV; the real time column, in microseconds.
KELVO_BENCH_HOST=sdl "${boost[@]}" "$bench" --benchmark_format=csv \
    --benchmark_min_time=0.5 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    >"$CLEANUP_DIR/bench.csv" 2>/dev/null
bench_us() { # NAME: the median real time of BM_NAME, in microseconds
    awk -F, -v n="\"BM_$1_median\"" '$1 == n {
        t = $4; u = $5; gsub(/"/, "", u)
        if (u == "ns") t /= 1000; else if (u == "ms") t *= 1000; else if (u == "s") t *= 1e6
        printf "%.2f\n", t }' "$CLEANUP_DIR/bench.csv"
}
"${boost[@]}" "$bare" --bench >"$CLEANUP_DIR/bare_bench.txt"
bare_us() { awk -v n="$1" '$1 == n {print $2}' "$CLEANUP_DIR/bare_bench.txt"; }

row() { # LABEL KELVO BARE AIM_RATIO(or -)
    awk -v l="$1" -v k="$2" -v b="$3" -v aim="$4" 'BEGIN {
        r = b > 0 ? k / b : 0
        verdict = aim == "-" ? "" : (r <= aim ? " (met)" : " (not met)")
        printf "| %s | %s | %s | %.2f | %s%s |\n", l, k, b, r, aim == "-" ? "-" : "at most " aim, verdict }'
}

echo
echo "| figure | kelvo | bare SDL2 | ratio | aim |"
echo "|---|---|---|---|---|"
row "start to first complete frame (ms)" "$(median "$k" 1)" "$(median "$b" 1)" 1.25
if [ -n "${kelvo_instr:-}" ]; then
    row "instructions to first complete frame (millions, callgrind)" "$kelvo_instr" "$bare_instr" -
fi
row "full repaint of the window (us)" "$(bench_us FullRepaint)" "$(bare_us full-repaint-us)" -
row "repaint of one bead move (us)" "$(bench_us BeadMove)" "$(bare_us bead-move-us)" -
row "one message through the window procedure (us)" "$(bench_us PostedMessage)" "$(bare_us message-us)" -
row "idle CPU (ms per ${idle} s)" "$(median "$k" 2)" "$(median "$b" 2)" 1.5
row "idle wake-ups per second" "$(median "$k" 3)" "$(median "$b" 3)" -
row "peak resident memory, VmHWM (KiB)" "$(median "$k" 4)" "$(median "$b" 4)" 1.5
echo
echo "Medians of $runs interleaved starts (idle over ${idle} s); repaints and message: medians of 3 repetitions. Load during the run: $(cut -d' ' -f1-3 /proc/loadavg)${boost:+; run at nice -10}."
