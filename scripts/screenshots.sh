#!/usr/bin/env bash
# Makes the screenshots in docs/: every screen of the game as zux-headless
# draws it, from scripted key files, saved as compressed PNG.
#   scripts/screenshots.sh [BUILD_DIR]   (default: build; built when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs
. scripts/deps.sh
zux_need_headless_build "$build"
convert=/usr/bin/convert
headless=$(cd "$build" && pwd)/zux-headless
data=$(cd "$build" && pwd)/Data.zux
work=$(mktemp -d /tmp/zux-shots-XXXXXX)
trap '[ -n "${ZUX_SHOTS_KEEP:-}" ] || rm -rf "$work"' EXIT
mkdir -p "$out"

# A fresh program folder with the art.
folder() {
    rm -rf "${work:?}/$1"
    mkdir -p "$work/$1"
    cp "$data" "$work/$1/Data.zux"
}

# words FILE W...: writes signed 32-bit little-endian words.
words() {
    local file=$1 w esc=
    shift
    for w in "$@"; do
        w=$((w & 0xFFFFFFFF))
        esc+=$(printf '\\0%03o\\0%03o\\0%03o\\0%03o' $((w & 255)) $((w >> 8 & 255)) \
            $((w >> 16 & 255)) $((w >> 24 & 255)))
    done
    printf '%b' "$esc" >"$file"
}

# settings DIR SKIN DROP [SAVED...]: "SS.dat" with the skin and the drop
# switch, and either no saved game or the eight saved words and 252 cells.
settings() {
    local dir=$1 skin=$2 drop=$3
    shift 3
    if [ $# -eq 0 ]; then
        local cells=()
        for _ in $(seq 252); do cells+=(0); done
        words "$dir/SS.dat" "$skin" 0 0 0 0 0 0 0 0 1 "$drop" "${cells[@]}"
    else
        words "$dir/SS.dat" "$skin" "${@:1:8}" 1 "$drop" "${@:9}"
    fi
}

# run DIR TICKS KEYS [FRAME-TICKS]: runs the game with the key file's text
# from the data files DIR held before its first run; leaves DIR/trace.txt and
# the frames asked for.
run() {
    local dir=$1 ticks=$2 keys=$3 at=${4:-}
    if [ ! -d "$dir/start" ]; then
        mkdir "$dir/start"
        cp "$dir"/*.dat "$dir/start/" 2>/dev/null || true
    fi
    rm -f "$dir"/*.dat "$dir"/frame-*.png
    cp "$dir"/start/*.dat "$dir/" 2>/dev/null || true
    printf '%s\n' "$keys" >"$dir/keys.txt"
    local args=(--dir "$dir" --ticks "$ticks" --keys "$dir/keys.txt" --trace "$dir/trace.txt")
    [ -n "$at" ] && args+=(--frames "$dir" --frame-at "$at")
    "$headless" "${args[@]}" >/dev/null
}

# first DIR PATTERN [PLUS]: the first tick whose trace line matches, plus PLUS.
first() {
    local line
    line=$(grep -m1 -E "$2" "$1/trace.txt") || {
        echo "no tick matches $2 in $1" >&2
        exit 1
    }
    line=${line#'{"tick":'}
    echo $((${line%%,*} + ${3:-0}))
}

# keep DIR TICK NAME: the frame of TICK as docs/NAME.png, compressed.
keep() {
    "$convert" "$1/frame-$(printf %06d "$2").png" -strip -define png:compression-level=9 \
        "$out/$3.png"
    echo "$out/$3.png"
}

# The intro: its lettering being revealed, then the bump-mapped light.
folder intro
run "$work/intro" 400 "" 200,400
keep "$work/intro" 200 intro-reveal
keep "$work/intro" 400 intro-light

# The menu, NEW GAME highlighted.
folder menu
run "$work/menu" 80 $'5 press 1\n30 press Down' 70
keep "$work/menu" 70 menu

# A type-A game on each skin, a few pieces in; on the first, the get-ready wave.
newGameA=$'5 press 1\n15 press Down\n25 press 1\n100 press 1'
play=$'185 press 5\n200 press Left\n203 press Left\n206 press 7\n215 press 4
218 press Right\n221 press Right\n224 press Right\n227 press 7\n240 press 3\n243 press 9'
for skin in 0 1 2 3 4 5; do
    folder "skin$skin"
    settings "$work/skin$skin" "$skin" 0
    run "$work/skin$skin" 270 "$newGameA"$'\n'"$play" 200,265
    keep "$work/skin$skin" 265 "game-skin$((skin + 1))"
done
folder ready
settings "$work/ready" 0 0
run "$work/ready" 210 "$newGameA" 200
keep "$work/ready" 200 get-ready

# One road through the rest, from a saved game one row short of its level's
# quota: Continue, a bar fills the row, the level is completed; in level 2 the
# pieces are dropped (Down with the drop switch on) until the game is over;
# a name is typed into the high scores, which are shown next.
folder story
cells=()
for r in $(seq 0 20); do
    for c in $(seq 0 11); do
        v=0
        if [ "$c" -eq 0 ] || [ "$c" -eq 11 ] || [ "$r" -eq 20 ]; then
            v=1 # walls and floor
        elif [ "$r" -ge 16 ] && { [ "$c" -lt 4 ] || [ "$c" -gt 7 ]; }; then
            # a ragged heap beside a four-wide gap; the bottom row is full but for it
            if [ "$r" -eq 19 ] || [ $(((r * 7 + c * 3) % 5)) -ne 0 ]; then v=$(((r + c) % 7 + 1)); fi
        fi
        cells+=("$v")
    done
done
# score 1180, level 1, one row to go, next piece 3, the bar falling, type A
settings "$work/story" 0 1 1180 1 1 3 1 0 1 600 "${cells[@]}"
keys=$'5 press 1\n20 press 1\n120 press 5\n140 press Down\n225 press 5'
for t in $(seq 240 3 600); do keys+=$'\n'"$t press Down"; done
run "$work/story" 620 "$keys"
over=$(first "$work/story" '"gamePhase":7')
# Leave the game-over screen and type Y, O, U; then the end cell.
keys=$(awk -v over="$over" '$1 <= over' <<<"$keys")
t=$((over + 140))
keys+=$'\n'"$t press 1"
for k in Down Down Down Down 1 Up Up Right Right 1 Down 1 Down Down Down Right Right Right 1; do
    t=$((t + 10))
    keys+=$'\n'"$t press $k"
done
run "$work/story" $((t + 300)) "$keys"
completed=$(first "$work/story" '"gamePhase":4' 15)
named=$(first "$work/story" '"letterCount":3' 10)
table=$(first "$work/story" '"screen":"ScoreTable".*"phaseTicks":70,')
run "$work/story" $((t + 300)) "$keys" "$completed,$((over + 75)),$named,$table"
keep "$work/story" "$completed" level-completed
keep "$work/story" $((over + 75)) game-over
keep "$work/story" "$named" name-entry
keep "$work/story" "$table" high-scores
du -ch "$out"/*.png | tail -n 1
