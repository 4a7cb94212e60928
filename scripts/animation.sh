#!/usr/bin/env bash
# Makes docs/game.gif, the animation at the top of the README: the game kept
# in docs/game.zuxreplay, replayed through zux-headless --replay --frames, its
# every second frame from tick 250 to 430 (a game of type A from its get-ready
# light to a destroyed row) at the game's own speed, put together by ImageMagick.
#   scripts/animation.sh [BUILD_DIR]   (default: build; built when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
first=250 last=430 every=2 tickMs=40
. scripts/deps.sh
zux_need_headless_build "$build"
convert=/usr/bin/convert
work=$(mktemp -d /tmp/zux-animation-XXXXXX)
trap 'rm -rf "$work"' EXIT
# A fresh program folder: the replay brings its own start files.
cp "$build/Data.zux" "$work/Data.zux"
mkdir "$work/frames"
"$build/zux-headless" --dir "$work" --replay docs/game.zuxreplay --frames "$work/frames" \
    --frame-every "$every" >"$work/verdict"
grep -q '^replay matches' "$work/verdict" || {
    echo "the replay no longer plays as recorded: $(cat "$work/verdict")" >&2
    exit 1
}
frames=()
for ((t = first; t <= last; t += every)); do frames+=("$work/frames/$(printf 'frame-%06d.png' "$t")"); done
"$convert" -delay $((every * tickMs / 10)) -loop 0 "${frames[@]}" +dither -layers Optimize \
    "$work/game.gif"
mv "$work/game.gif" docs/game.gif
echo "docs/game.gif: ${#frames[@]} frames, $(stat -c %s docs/game.gif) bytes"
