# Sourced by the tests that drive zux in a real window on a virtual X server.
# The caller sets $work (a temporary folder, kept when a test fails) and keep.

skip() { # skip WHY: the test cannot run here (CTest's skip status)
    echo "SKIPPED: $*"
    exit 77
}

fail() { # fail WHY: the test failed; its folder is kept for a look
    echo "FAIL: $*"
    [ -n "${work:-}" ] && echo "(the test's files are kept in $work)"
    keep=1
    exit 1
}

# skip_installable WHY: a tool that ./test installs is missing: a skip, but a
# failure under CI (CI=true), whose machine can always install it.
skip_installable() {
    [ "${CI:-}" = true ] && fail "$* (CI=true: ./test installs it)"
    skip "$*"
}

# The Debian package of a tool the tests use.
tool_package() {
    case "$1" in
    Xvfb) echo xvfb ;;
    xwd | xeyes) echo x11-apps ;;
    desktop-file-validate) echo desktop-file-utils ;;
    appstreamcli) echo appstream ;;
    man) echo man-db ;;
    dpkg-shlibdeps) echo dpkg-dev ;;
    dpkg-deb) echo dpkg ;;
    setpriv) echo util-linux ;;
    cmp) echo diffutils ;;
    sha256sum) echo coreutils ;;
    *) echo "$1" ;;
    esac
}

need_tools() { # need_tools TOOL...: skips unless every tool is there (fails under CI)
    local t
    for t in "$@"; do
        command -v "$t" >/dev/null || skip_installable "$t is missing (Debian: $(tool_package "$t"))"
    done
}

# need_imagemagick: skips unless ImageMagick itself is in /usr/bin; sets convert and compare.
need_imagemagick() {
    convert=/usr/bin/convert compare=/usr/bin/compare
    [ -x "$convert" ] && [ -x "$compare" ] ||
        skip_installable "ImageMagick is missing (Debian: imagemagick)"
}

# Starts Xvfb with a screen of GEOMETRY (e.g. 480x640x24) and exports DISPLAY;
# sets xpid. Skips the test when no server can start.
xvfb_start() {
    command -v Xvfb >/dev/null || skip_installable "Xvfb is missing (Debian: xvfb)"
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

shot() { # shot NAME: the screen as a 240 x 320 PNG in $work, one pixel of each 2 x 2 block
    xwd -root -silent >"$work/$1.xwd" && "$convert" "xwd:$work/$1.xwd" -sample 50% "png:$work/$1.png"
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
keys() { # keys NAME[:PAUSE]...: key for each
    local k
    for k; do if [[ $k == *:* ]]; then key "${k%:*}" "${k#*:}"; else key "$k"; fi; done
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

# play HOME PROGRAM ARGS...: the game as a player starts it (after ${asPlayer[@]}, if
# set), output in $work/zux.out and zux.err; past the intro, the screen must not be
# black (the game found Data.zux). Sets gpid.
play() {
    ${asPlayer[@]+"${asPlayer[@]}"} env -i PATH=/usr/bin:/bin HOME="$1" DISPLAY="$DISPLAY" \
        SDL_AUDIODRIVER=dummy "${@:2}" >"$work/zux.out" 2>"$work/zux.err" &
    gpid=$!
    windowUp() {
        kill -0 "$gpid" 2>/dev/null || fail "$2 ended at once: $(cat "$work/zux.err")"
        xdotool search --name '^zux$' >/dev/null 2>&1
    }
    waitFor 15 windowUp || fail "$2: no window named zux appeared"
    sleep 1 # the pictures load
    key Return 0.6
    xwd -root -silent >"$work/shot.xwd" || fail "xwd cannot take a screenshot"
    "$convert" "xwd:$work/shot.xwd" -colorspace Gray -threshold 8% -format '%[fx:mean]' info: |
        awk '{ b = $1 } END { exit !(b > 0.05) }' || fail "$2: the window is black: no Data.zux found"
}
ends() { # ends KEY WHAT [LOG]: KEY must close the game ($gpid) with status 0 within 10 s
    local log=${3:-$work/zux.log}
    kill -0 "$gpid" 2>/dev/null || fail "$2 ended before $1: $(cat "$log")"
    key "$1" 0
    waitExit "$gpid" 10 || fail "$2 did not close within 10 s of $1"
    gpid=
    [ "$status" = 0 ] || fail "$2 exited with $status: $(cat "$log")"
}

# zux_window DIR HOME ARGS...: starts DIR/zux in a window of its own, saving in
# HOME, its output in $work/zux.log; sets gpid and win and gives it the focus.
zux_window() {
    local dir=$1 home=$2
    shift 2
    (cd "$dir" && SDL_AUDIODRIVER=dummy exec ./zux --windowed --home "$home" "$@" \
        >>"$work/zux.log" 2>&1) &
    gpid=$!
    win=
    found() { win=$(xdotool search --name '^zux$' 2>/dev/null | head -n 1) && [ -n "$win" ]; }
    waitFor 15 found || fail "no window named zux appeared: $(cat "$work/zux.log")"
    xdotool windowfocus --sync "$win" 2>/dev/null
    sleep 0.5
}

# xvfb_work NAME: a temporary folder in $work, removed at exit (unless keep is
# 1) after the game ($gpid), any other window ($epid) and the X server end.
xvfb_work() {
    work=$(mktemp -d "/tmp/zux-$1-XXXXXX")
    keep=${keep:-0} gpid= epid= xpid=
    trap 'for p in $gpid $epid $xpid; do kill "$p" 2>/dev/null; done; wait 2>/dev/null
        [ "$keep" = 1 ] || { chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"; }' EXIT
}
