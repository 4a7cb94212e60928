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
. "$(dirname "$0")/xvfb.sh"
need_tools xdotool xwd xeyes cmp

xvfb_work focus
xvfb_start 800x700x24

mkdir -p "$work/game"
cp "$zux" "$work/game/zux" && cp "$data" "$work/game/Data.zux" || fail "cannot copy the game"
# Another window to hand the focus to.
xeyes -geometry 100x100+650+10 >/dev/null 2>&1 &
epid=$!

# start ARGS...: zux in a window of its own, saving in $work/home; sets gpid and win.
start() { zux_window "$work/game" "$work/home" --scale 1 "$@"; }
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
ends F8 zux

# The pocket computer's rule: leaving the window closes the game.
start --close-on-focus-loss
awayTo
waitExit "$gpid" 10 || fail "zux --close-on-focus-loss did not close when the focus went"
[ "$status" = 0 ] || fail "zux exited with $status"
gpid=
grep -v "no sound device" "$work/zux.log" | grep . && fail "zux printed more than expected"
echo "PASS: away from the window the game froze and saved; back, it ran on; --close-on-focus-loss closed it"
