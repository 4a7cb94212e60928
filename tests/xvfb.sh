# Sourced by the tests that drive zux in a real window on a virtual X server.
# The caller sets $work (a temporary folder) and defines skip and fail.

# Starts Xvfb with a screen of GEOMETRY (e.g. 480x640x24) and exports DISPLAY;
# sets xpid. Skips the test when no server can start.
xvfb_start() {
    command -v Xvfb >/dev/null || skip "Xvfb is missing (Debian: xvfb)"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xpid=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        kill -0 "$xpid" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$work/display" ] || skip "Xvfb could not start: $(tail -n 1 "$work/xvfb.log")"
    DISPLAY=:$(tr -d '\n' <"$work/display")
    export DISPLAY
}

waitFor() { # waitFor SECONDS COMMAND...: polls the command every 0.2 s
    local tries=$(($1 * 5))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

key() { # key NAME [PAUSE]: one press through the X server's keyboard, then a pause
    xdotool key "$1"
    sleep "${2:-0.3}"
}

# waitExit PID SECONDS: waits for the process to end; sets status ("" when it did not).
waitExit() {
    status=
    for _ in $(seq $(($2 * 10))); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            status=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}
