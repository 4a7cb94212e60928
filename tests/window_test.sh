#!/usr/bin/env bash
# The real window: starts zux (SDL2) full screen on a virtual X server, looks
# at what it shows through screenshots, plays it through the X server's
# keyboard, quits with F8 and checks the exit status and "SS.dat".
#
#   window_test.sh ZUX DATA.ZUX ZUX-HEADLESS
#
# The screenshots are compared with frames zux-headless draws for the same
# screens: regions that do not move must match. Exits 77 (skipped) when there
# is no virtual X server or no tool to look at it with.
set -uo pipefail

zux=${1:?usage: window_test.sh ZUX DATA.ZUX ZUX-HEADLESS}
data=${2:?}
headless=${3:?}

. "$(dirname "$0")/xvfb.sh"
need_tools Xvfb xdotool xwd
need_imagemagick
keep=${ZUX_WINDOW_KEEP:-0} # 1 keeps the screenshots
xvfb_work window

# The game runs from a folder of its own, so no build folder's files are touched.
mkdir -p "$work/game" "$work/ref"
cp "$zux" "$work/game/zux" || fail "cannot copy $zux"
cp "$data" "$work/game/Data.zux" || fail "cannot copy $data"
cp "$data" "$work/ref/Data.zux"

# Reference frames: the menu after the intro is skipped, its game-type page,
# and a type-A game on the first skin.
cat >"$work/ref/keys.txt" <<'EOF'
5 press Enter
20 press Down
30 press 1
120 press 1
EOF
"$headless" --dir "$work/ref" --ticks 220 --keys "$work/ref/keys.txt" --frames "$work/ref" \
    --frame-at 15,100,200 >/dev/null || fail "zux-headless could not draw the reference frames"
mkdir -p "$work/ref/intro" && cp "$data" "$work/ref/intro/Data.zux"
"$headless" --dir "$work/ref/intro" --ticks 300 --frames "$work/ref/intro" --frame-at 300 \
    >/dev/null || fail "zux-headless could not draw the intro"
introRef=$work/ref/intro/frame-000300.png
menuRef=$work/ref/frame-000015.png
typeRef=$work/ref/frame-000100.png
gameRef=$work/ref/frame-000200.png
# The regions compared: the intro's first line of lettering once its sparks
# have gone, menu entries that stand still (only the background between them
# scrolls), and the lower right of the game screen (its counters and the
# skin's background).
introArea=240x30+0+55
menuArea=184x66+16+129
typeArea=184x72+16+85
gameArea=110x130+130+190
same=1500  # fewer differing pixels than this: the same screen
other=5000 # more than this: another screen

# A screen of 480 x 640: the full-screen window shows the frame at scale 2.
xvfb_start 480x640x24

bright() { # bright PNG: the share of pixels that are not near black
    "$convert" "$1" -colorspace Gray -threshold 8% -format '%[fx:mean]' info:
}
differ() { # differ A B GEOMETRY: how many pixels of the region differ by more than a little
    local n
    n=$("$compare" -metric AE -fuzz 4% "$1[$3]" "$2[$3]" null: 2>&1 | cut -d' ' -f1)
    [[ $n =~ ^[0-9]+$ ]] && echo "$n" || echo 999999
}

(cd "$work/game" && SDL_AUDIODRIVER=dummy exec ./zux >"$work/zux.log" 2>&1) &
gpid=$!
windowUp() { xdotool search --name '^zux$' >/dev/null 2>&1; }
waitFor 15 windowUp || fail "no window named zux appeared: $(cat "$work/zux.log")"

# The intro: the window is not black, and within seconds its first line of
# lettering is revealed as the game draws it.
notBlack() {
    shot start && awk -v b="$(bright "$work/start.png")" 'BEGIN { exit !(b > 0.002) }'
}
waitFor 10 notBlack || fail "the window stayed black"
introShows() { shot intro && [ "$(differ "$work/intro.png" "$introRef" $introArea)" -lt 60 ]; }
waitFor 15 introShows || fail "the intro's lettering did not appear"
[ "$(differ "$work/intro.png" "$menuRef" $menuArea)" -gt $other ] ||
    fail "the intro already looks like the menu"

# Enter leaves the intro for the menu.
key Return 0.5
menuShows() { shot menu && [ "$(differ "$work/menu.png" "$menuRef" $menuArea)" -lt $same ]; }
waitFor 10 menuShows || fail "the menu did not appear after Enter"

# Down to NEW GAME and select: the page of game types slides in.
key Down 0.5
key 1 0.5
typesShow() { shot types && [ "$(differ "$work/types.png" "$typeRef" $typeArea)" -lt $same ]; }
waitFor 10 typesShow || fail "the game types did not appear after Down, 1"

# TYPE A: the game screen on the first skin. The page ignores keys until
# its slide is over, so Enter is pressed again until the game shows.
gameShows() {
    key Return 0.5 && shot game && [ "$(differ "$work/game.png" "$gameRef" $gameArea)" -lt $same ]
}
waitFor 10 gameShows || fail "no game started after TYPE A was chosen"
[ "$(differ "$work/game.png" "$menuRef" $gameArea)" -gt $other ] ||
    fail "the game screen looks like the menu"

# Hard drops (7, a digit, which also cuts the get-ready wave short) until
# the score counter moves: a piece has landed and the game has been saved.
scoreArea=42x9+132+203
scored() { key 7 0.3 && shot play && [ "$(differ "$work/play.png" "$gameRef" $scoreArea)" -gt 5 ]; }
waitFor 20 scored || fail "hard drops never changed the score"
for k in Left Left 3 Right Down 4; do key "$k" 0.2; done

# F8 closes the program, which saves the game in progress.
ends F8 zux
[ -f "$work/game/SS.dat" ] || fail "SS.dat was not written"
size=$(stat -c %s "$work/game/SS.dat")
[ "$size" = 1052 ] || fail "SS.dat has $size bytes, not 1052"
# The game was left running: its saved game is marked valid (word 7), of
# type A (word 6) at level 1 (word 2).
word() { od -An -t d4 -j $(($1 * 4)) -N 4 "$work/game/SS.dat" | tr -d ' '; }
[ "$(word 7)" = 1 ] || fail "the game in progress was not saved (valid = $(word 7))"
[ "$(word 6)" = 0 ] || fail "the saved game is not of type A (type $(word 6))"
[ "$(word 2)" = 1 ] || fail "the saved game is not at level 1 (level $(word 2))"
echo "PASS: intro, menu and game shown in a real window; F8 closed it and SS.dat was written"
