#!/usr/bin/env bash
# Replays in the real window: zux on a virtual X server, played through the
# X server's keyboard into a type B game and closed with F8, leaves a replay
# in its save folder's replays/. zux-headless plays it back to a match;
# zux --replay shows it in the window (sped up, paused and run on through the
# viewer's keys) to the same verdict and the same last frame as the headless
# frame dump, and leaves the player's files as they were.
#
#   replay_window_test.sh ZUX DATA.ZUX ZUX-HEADLESS
#
# Exits 77 (skipped) without Xvfb, xdotool, xwd or ImageMagick.
set -uo pipefail

zux=${1:?usage: replay_window_test.sh ZUX DATA.ZUX ZUX-HEADLESS}
data=${2:?}
headless=${3:?}
. "$(dirname "$0")/xvfb.sh"
need_tools xdotool xwd sha256sum
convert=/usr/bin/convert
compare=/usr/bin/compare
[ -x "$convert" ] && [ -x "$compare" ] || skip "ImageMagick is missing (Debian: imagemagick)"

work=$(mktemp -d /tmp/zux-replay-XXXXXX)
keep=0
xpid= gpid=
cleanup() {
    for p in $gpid $xpid; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    [ "$keep" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT
xvfb_start 800x700x24

mkdir -p "$work/game" "$work/ref"
cp "$zux" "$work/game/zux" && cp "$data" "$work/game/Data.zux" && cp "$data" "$work/ref/Data.zux" ||
    fail "cannot copy the game"

# start ARGS...: zux in a window of its own (scale 2), saving in $work/home; sets gpid and win.
start() {
    : >"$work/zux.log"
    zux_window "$work/game" "$work/home" --scale 2 "$@"
}
# shot NAME: the window as a 240 x 320 PNG, one pixel of each 2 x 2 block.
shot() {
    xwd -silent -id "$win" >"$work/$1.xwd" &&
        "$convert" "xwd:$work/$1.xwd" -sample 50% "png:$work/$1.png"
}
# The player's files, every one, with their contents.
files() { (cd "$work/home" && find . -type f | sort | xargs sha256sum); }

# A run: past the intro, NEW GAME, TYPE B, a few moves, F8.
start
key Return 1
key Down 0.5
key 1 3.5 # the page of game types takes keys once it has slid in
key Down 0.5
key Return 2
for k in 7 Left 7 Right 3 7; do key "$k" 0.4; done
key F8 0
waitExit "$gpid" 10 || fail "zux did not close on F8"
gpid=
[ "$status" = 0 ] || fail "zux exited with $status: $(cat "$work/zux.log")"
replay=$(ls "$work/home/replays/"*.zuxreplay 2>/dev/null | head -n 1)
[ -n "$replay" ] || fail "no replay was recorded in $work/home/replays"
grep -q ' down F8$' "$replay" || fail "the replay has no F8"

# --no-record: another run, and still the one replay.
start --no-record
key F8 0
waitExit "$gpid" 10 || fail "zux --no-record did not close on F8"
gpid=
[ "$(ls "$work/home/replays" | wc -l)" = 1 ] || fail "zux --no-record recorded a replay"

# Headless: a match, the game of type B in it, and the last frame.
last=$(sed -n 's/^# end \([0-9]*\) .*/\1/p' "$replay")
out=$("$headless" --dir "$work/ref" --replay "$replay" --trace "$work/ref/trace.jsonl" \
    --frames "$work/ref" --frame-at "$last" 2>&1)
[ "$out" = "replay matches ($last ticks)" ] || fail "the headless replay: $out"
grep -q '"gameType":1' "$work/ref/trace.jsonl" || fail "the run never reached a type B game"

# In the window, from the same replay: 4x, a pause that holds the frame, and on.
before=$(files)
start --replay "$replay"
sleep 1 # the window takes keys once it is mapped and focused
key KP_Add 0.2
key equal 0.2 # + without Shift
key space 0.5
shot paused1 && sleep 0.6 && shot paused2
cmp -s "$work/paused1.xwd" "$work/paused2.xwd" || fail "the frame moved while paused"
key space 0
verdict() { grep -q '^replay ' "$work/zux.log"; }
waitFor 60 verdict || fail "zux --replay gave no verdict: $(cat "$work/zux.log")"
grep -qx "replay matches ($last ticks)" "$work/zux.log" || fail "zux --replay: $(cat "$work/zux.log")"
shot end
n=$("$compare" -metric AE -fuzz 2% "$work/end.png" "$work/ref/frame-$(printf %06d "$last").png" \
    null: 2>&1 | cut -d' ' -f1)
[ "$n" = 0 ] || fail "the window's last frame differs from the headless one in $n pixels"
key Escape 0
waitExit "$gpid" 10 || fail "zux --replay did not close on Escape"
gpid=
[ "$status" = 0 ] || fail "zux --replay exited with $status"
[ "$(files)" = "$before" ] || fail "zux --replay changed the player's files"
echo "PASS: a run in the window replayed to a match headless and in the window, same last frame"
