#!/usr/bin/env bash
# The downloads a player fetches, as ./package makes them (run by ./test; 77: skipped).
#   release_test.sh HEADLESS   (the zux-headless of the build under test)
# The Debian package, the portable Linux folder and the source tarball of the working tree,
# each made twice in two fresh folders and compared byte for byte; lintian finds no error or
# warning in the package; the portable folder,
# unpacked anywhere, says its version, starts under a virtual X server, closes on F8 and saves
# beside itself; the source tarball (no git) builds a zux-headless that plays the intro's key
# file to the same trace as the build under test.
set -uo pipefail

headless=$(realpath "${1:?usage: release_test.sh HEADLESS}")
src=$(cd "$(dirname "$0")/.." && pwd)
keep=${ZUX_RELEASE_KEEP:-0} # 1 keeps the temporary folder
# shellcheck source=tests/xvfb.sh
. "$src/tests/xvfb.sh"
xvfb_work release
need_tools git lintian dpkg-deb Xvfb xdotool
cd "$src" || fail "no $src"
git rev-parse --git-dir >/dev/null 2>&1 || skip "not a git checkout: there is no commit to release"
# shellcheck source=scripts/release.sh
. scripts/release.sh
version=$(zux_version)

# The working tree as a commit (uncommitted changes too), so the test sees what it tests.
ZUX_TREE=$(git stash create) && [ -n "$ZUX_TREE" ] || ZUX_TREE=$(git rev-parse HEAD)
export ZUX_TREE ZUX_CHECK_DIR=$work/check ZUX_CHECK_OUT=$work/release
zux_source_date
zux_check deb linux source >"$work/check.log" 2>&1 || fail "not reproducible: $(grep -A 40 DIFFERS "$work/check.log")"
deb=$work/$(zux_name deb) portable=$work/$(zux_name linux)

# lintian: info-level tags only.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
grep -E '^[EW]: ' "$work/lintian.log" && fail "lintian: $(grep -E '^[EW]: ' "$work/lintian.log")"

# The portable folder, unpacked into a fresh folder.
mkdir -p "$work/fresh" "$work/home" && tar -xzf "$portable" -C "$work/fresh" || fail "cannot unpack $portable"
dir=$work/fresh/$(basename "$portable" .tar.gz)
revision=$(git rev-parse "$ZUX_TREE" | cut -c1-7)
out=$("$dir/zux" --version) || fail "zux --version failed"
[ "$out" = "zux $version ($revision)" ] || fail "zux --version says $out, not zux $version ($revision)"
xvfb_start 640x800x24
need_tools xwd && need_imagemagick
play "$work/home" "$dir/zux" --windowed
ends F8 zux "$work/zux.err"
[ "$(stat -c %s "$dir/SS.dat" 2>/dev/null)" = 1052 ] || fail "no SS.dat of 1052 bytes beside the program"
[ -e "$work/home/.local" ] && fail "the portable copy wrote into the home folder"
# The package's program, unpacked, is played by install_test.sh deb; here only its place.
grep -q ' \./usr/games/zux$' <(dpkg-deb -c "$deb" 2>/dev/null) || fail "the package's program is not /usr/games/zux"

# The source tarball's own build (the check's first folder: unpacked, no git) and its
# zux-headless against the build under test, on the intro's key file.
tree=$work/check/one/zux-$version
[ -e "$tree/.git" ] && fail "the unpacked source has a .git"
cmake --build "$tree/build-package" --target zux-headless >"$work/headless.log" 2>&1 ||
    fail "the source tarball's zux-headless does not build: $(tail -n 5 "$work/headless.log")"
for side in tarball tested; do
    program=$headless
    [ $side = tarball ] && program=$tree/build-package/zux-headless
    mkdir -p "$work/$side"
    "$program" --dir "$work/$side" --ticks 1400 --keys "$src/tests/web/keys/intro.keys" \
        --trace "$work/$side.jsonl" >/dev/null || fail "the $side zux-headless failed"
done
[ -s "$work/tested.jsonl" ] && cmp -s "$work/tarball.jsonl" "$work/tested.jsonl" ||
    fail "the intro's trace differs: $(cmp "$work/tarball.jsonl" "$work/tested.jsonl")"

echo "PASS: $(basename "$deb"), $(basename "$portable") and zux-$version.tar.gz the same twice;" \
    "lintian: $(grep -c "^[IPN]: " "$work/lintian.log") info tags; played and closed on F8;" \
    "portable: $out, SS.dat beside it; the tarball's build plays the intro's 1400 ticks as the tested build"
