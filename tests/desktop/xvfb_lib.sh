# Shared by the desktop and end-to-end scripts (sourced, not run): a private
# Xvfb display, waiting for conditions, reading screen pixels.

# Starts Xvfb on a free display number (the server picks it: -displayfd) and
# exports DISPLAY. The server is stopped when the sourcing script exits.
start_xvfb() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
    XVFB_PID=$!
    trap stop_xvfb EXIT
    local i
    for i in $(seq 1 100); do
        if [ -s "$fdfile" ]; then break; fi
        sleep 0.05
    done
    if [ ! -s "$fdfile" ]; then
        echo "FAIL: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "${CLEANUP_DIR:-}" ]; then rm -rf "$CLEANUP_DIR"; fi
}

# wait_for SECONDS COMMAND...: true as soon as the command succeeds.
wait_for() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    while [ $SECONDS -le $end ]; do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}

# pixel X Y: the screen pixel as "R,G,B" (0..255 each).
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 rgb:- 2>/dev/null | od -An -tu1 | awk '{print $1 "," $2 "," $3}'
}

# pixel_is X Y R,G,B
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }

# file_has FILE LINE: the file contains the line exactly.
file_has() { grep -qxF "$2" "$1"; }

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
