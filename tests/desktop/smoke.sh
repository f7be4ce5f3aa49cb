#!/usr/bin/env bash
# Desktop smoke test of the stand-in on the SDL host, under a private Xvfb:
# the window shows the colour it painted at its place on the screen, and a
# click, keys and typed text reach its window procedure with window-relative
# coordinates and the system's key codes; Alt+F4 closes it and SIGTERM ends
# it promptly, both with exit code 0.
# Usage: smoke.sh PATH-TO-smoke_window
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_lib.sh"
CLEANUP_DIR=$(mktemp -d)
start_xvfb
out=$CLEANUP_DIR/out.txt
# A key that types 'è', in the keyboard map before the program starts: left
# to itself, xdotool maps a spare key for the moment of typing, and a
# program that reads the key before it hears of the new map sees another.
xmodmap -e "keycode 252 = egrave Egrave"

"$program" >"$out" 2>"$CLEANUP_DIR/err.txt" &
pid=$!

# The window's content area starts at screen (100, 100); it paints RGB 12, 200, 34.
wait_for 10 pixel_is 200 200 12,200,34 || fail "painted colour not on screen: $(pixel 200 200); $(cat "$CLEANUP_DIR/err.txt")"
pixel_is 99 99 0,0,0 || fail "window drawn outside its place: $(pixel 99 99) at (99, 99)"
xdotool search --name "Kelvo smoke" >/dev/null || fail "no window titled 'Kelvo smoke'"

xdotool mousemove 150 160 click 1
wait_for 5 file_has "$out" "click 50 60" || fail "click at client (50, 60) not received: $(cat "$out")"

xdotool key a
wait_for 5 file_has "$out" "char 97" || fail "typed 'a' not received: $(cat "$out")"
file_has "$out" "key 65" || fail "key 'A' (65) not received: $(cat "$out")"
xdotool key egrave
wait_for 5 file_has "$out" "char 232" || fail "typed 'è' not received as 232: $(cat "$out")"

xdotool key alt+F4
wait_for 5 bash -c "! kill -0 $pid" || fail "Alt+F4 did not close the window"
wait "$pid" && rc=0 || rc=$?
[ "$rc" = 0 ] || fail "exit code after Alt+F4: $rc"
grep -qx "char 102" "$out" && fail "Alt+F4 typed text"   # no stray characters from the chord
file_has "$out" "key 115" || fail "F4 (115) key press not received: $(cat "$out")"

# SIGTERM: ends within two seconds, cleanly.
"$program" >"$out" 2>&1 &
pid=$!
wait_for 10 pixel_is 200 200 12,200,34 || fail "second start did not paint"
kill -TERM "$pid"
wait_for 2 bash -c "! kill -0 $pid" || fail "SIGTERM did not end the program within 2 s"
wait "$pid" && rc=0 || rc=$?
[ "$rc" = 0 ] || fail "exit code after SIGTERM: $rc"
echo "smoke: ok"
