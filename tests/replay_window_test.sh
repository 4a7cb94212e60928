#!/usr/bin/env bash
# Replays in the real window: zux on a virtual X server, played through the
# keyboard into a type B game and closed with F8, leaves a replay in its save
# folder's replays/ that zux-headless plays back to a match; zux --replay shows
# it (sped up, paused, run on) to the same verdict and last frame as the
# headless frame dump, leaving the player's files as they were.
#   replay_window_test.sh ZUX DATA.ZUX ZUX-HEADLESS   (77: skipped, no X tools)
set -uo pipefail

zux=${1:?usage: replay_window_test.sh ZUX DATA.ZUX ZUX-HEADLESS}
data=${2:?}
headless=${3:?}
. "$(dirname "$0")/xvfb.sh"
need_tools xdotool xwd sha256sum
need_imagemagick
xvfb_work replay
xvfb_start 800x700x24
mkdir -p "$work/game" "$work/ref"
cp "$zux" "$work/game/zux" && cp "$data" "$work/game/Data.zux" && cp "$data" "$work/ref/Data.zux" ||
    fail "cannot copy the game"

start() { # start ARGS...: zux at scale 2, saving in $work/home; sets gpid and win
    : >"$work/zux.log"
    zux_window "$work/game" "$work/home" --scale 2 "$@"
}
shot() { # shot NAME: the window as a 240 x 320 PNG, one pixel of each 2 x 2 block
    xwd -silent -id "$win" >"$work/$1.xwd" &&
        "$convert" "xwd:$work/$1.xwd" -sample 50% "png:$work/$1.png"
}
files() { (cd "$work/home" && find . -type f | sort | xargs sha256sum); } # the player's files

# A run: past the intro, NEW GAME (its page takes keys once slid in), TYPE B, a few moves, F8.
start
keys Return:1 Down:0.5 1:3.5 Down:0.5 Return:2 7:0.4 Left:0.4 7:0.4 Right:0.4 3:0.4 7:0.4
ends F8 zux
replay=$(ls "$work/home/replays/"*.zuxreplay 2>/dev/null | head -n 1)
[ -n "$replay" ] || fail "no replay was recorded in $work/home/replays"
grep -q ' down F8$' "$replay" || fail "the replay has no F8"
start --no-record
ends F8 "zux --no-record"
[ "$(ls "$work/home/replays" | wc -l)" = 1 ] || fail "zux --no-record recorded a replay"

# Headless: a match, the game of type B in it, and the last frame.
last=$(sed -n 's/^# end \([0-9]*\) .*/\1/p' "$replay")
out=$("$headless" --dir "$work/ref" --replay "$replay" --trace "$work/ref/trace.jsonl" \
    --frames "$work/ref" --frame-at "$last" 2>&1)
[ "$out" = "replay matches ($last ticks)" ] || fail "the headless replay: $out"
grep -q '"gameType":1' "$work/ref/trace.jsonl" || fail "the run never reached a type B game"

# In the window, once mapped and focused: 4x (keypad +, + without Shift), a pause
# that holds the frame, and on.
before=$(files)
start --replay "$replay"
sleep 1
keys KP_Add:0.2 equal:0.2 space:0.5
shot paused1 && sleep 0.6 && shot paused2
cmp -s "$work/paused1.xwd" "$work/paused2.xwd" || fail "the frame moved while paused"
key space 0
verdict() { grep -q '^replay ' "$work/zux.log"; }
waitFor 60 verdict || fail "zux --replay gave no verdict: $(cat "$work/zux.log")"
grep -qx "replay matches ($last ticks)" "$work/zux.log" || fail "zux --replay: $(cat "$work/zux.log")"
shot end
n=$("$compare" -metric AE -fuzz 2% "$work/end.png" \
    "$work/ref/frame-$(printf %06d "$last").png" null: 2>&1 | cut -d' ' -f1)
[ "$n" = 0 ] || fail "the window's last frame differs from the headless one in $n pixels"
ends Escape "zux --replay"
[ "$(files)" = "$before" ] || fail "zux --replay changed the player's files"
echo "PASS: a run in the window replayed to a match headless and in the window, same last frame"
