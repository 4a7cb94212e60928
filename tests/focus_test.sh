#!/usr/bin/env bash
# Leaving the window: zux in a real window on a virtual X server freezes when
# another window takes the focus (the frame stands still and "SS.dat" is
# written at that moment) and runs on when the focus comes back; with
# --close-on-focus-loss it closes instead, as the pocket computer did.
#
#   focus_test.sh ZUX DATA.ZUX
#
# Exits 77 (skipped) without Xvfb, xdotool, xwd or xeyes.
set -uo pipefail

zux=${1:?usage: focus_test.sh ZUX DATA.ZUX}
data=${2:?}
skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    echo "(the game's folder and screenshots are kept in $work)"
    keep=1
    exit 1
}
for tool in xdotool xwd xeyes cmp; do
    command -v "$tool" >/dev/null || skip "$tool is missing (Debian: xdotool, x11-apps)"
done

work=$(mktemp -d /tmp/zux-focus-XXXXXX)
keep=0
xpid= gpid= epid=
cleanup() {
    for p in $gpid $epid $xpid; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    [ "$keep" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/xvfb.sh"
xvfb_start 800x700x24

mkdir -p "$work/game"
cp "$zux" "$work/game/zux" && cp "$data" "$work/game/Data.zux" || fail "cannot copy the game"
# Another window to hand the focus to.
xeyes -geometry 100x100+650+10 >/dev/null 2>&1 &
epid=$!

# start ARGS...: zux in a window of its own, saving in $work/home; sets gpid and win.
start() {
    (cd "$work/game" && SDL_AUDIODRIVER=dummy exec ./zux --windowed --scale 1 --home "$work/home" \
        "$@" >>"$work/zux.log" 2>&1) &
    gpid=$!
    win=
    found() { win=$(xdotool search --name '^zux$' 2>/dev/null | head -n 1) && [ -n "$win" ]; }
    waitFor 15 found || fail "no window named zux appeared: $(cat "$work/zux.log")"
    xdotool windowfocus --sync "$win" 2>/dev/null
    sleep 0.5
}
shot() { xwd -silent -id "$win" >"$work/$1.xwd"; }
awayTo() { xdotool windowfocus --sync "$(xdotool search --class xeyes | head -n 1)"; }

# The intro moves; away from the window it stands still, and "SS.dat" appears.
start
shot a && sleep 0.4 && shot b
cmp -s "$work/a.xwd" "$work/b.xwd" && fail "the intro did not move"
[ -e "$work/home/SS.dat" ] && fail "SS.dat was there before the freeze"
awayTo
sleep 0.3
[ -s "$work/home/SS.dat" ] || fail "SS.dat was not written when the focus went"
shot c && sleep 2 && shot d
cmp -s "$work/c.xwd" "$work/d.xwd" || fail "the frame changed while the game was frozen"
kill -0 "$gpid" 2>/dev/null || fail "zux closed when the focus went"
xdotool windowfocus --sync "$win"
sleep 0.5
shot e && sleep 0.4 && shot f
cmp -s "$work/e.xwd" "$work/f.xwd" && fail "the game did not run on when the focus came back"
key F8 0
waitExit "$gpid" 10 || fail "zux did not close on F8"
[ "$status" = 0 ] || fail "zux exited with $status"

# The pocket computer's rule: leaving the window closes the game.
start --close-on-focus-loss
awayTo
waitExit "$gpid" 10 || fail "zux --close-on-focus-loss did not close when the focus went"
[ "$status" = 0 ] || fail "zux exited with $status"
gpid=
grep -v "no sound device" "$work/zux.log" | grep . && fail "zux printed more than expected"
echo "PASS: away from the window the game froze and saved; back, it ran on; --close-on-focus-loss closed it"
