#!/usr/bin/env bash
# Installing zux as a player gets it.
#
#   install_test.sh dist   BUILD SOURCE CMAKE CPACK   the desktop entry, metadata and manual page
#   install_test.sh prefix BUILD SOURCE CMAKE CPACK   an install into a read-only prefix, played
#   install_test.sh deb    BUILD SOURCE CMAKE CPACK   the Debian package, unpacked and started
#
# "prefix" installs the build, makes the prefix read-only and plays the
# installed game as a user who cannot write there (nobody, when run as root)
# under a virtual X server: a sound switch and a high score must land in
# ~/.local/share/zux/ and be read by the next run; with a home that cannot be
# written either, the game must say so in one line and still exit 0. Exits 77
# (skipped) when a tool is missing.
set -uo pipefail

mode=${1:?usage: install_test.sh dist|prefix|deb BUILD SOURCE CMAKE CPACK}
build=${2:?}
src=${3:?}
cmake=${4:?}
cpack=${5:?}
work=
keep=${ZUX_INSTALL_KEEP:-0} # 1 keeps the temporary folder
xpid=
gpid=
# shellcheck source=tests/xvfb.sh
. "$src/tests/xvfb.sh" # skip, fail, need_tools, the X server and the game in it
cleanup() {
    [ -n "$gpid" ] && kill "$gpid" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    wait 2>/dev/null
    if [ -n "$work" ] && [ "$keep" != 1 ]; then
        chmod -R u+w "$work" 2>/dev/null
        rm -rf "$work"
    fi
}
trap cleanup EXIT

# The files an install must hold, under a prefix.
installed=(bin/zux share/zux/Data.zux share/applications/zux.desktop
    share/metainfo/zux.metainfo.xml share/man/man6/zux.6)
for size in 16 22 24 32 48 64 128 256; do
    installed+=("share/icons/hicolor/${size}x${size}/apps/zux.png")
done
checkInstalled() { # checkInstalled ROOT: every file is there
    for f in "${installed[@]}"; do [ -s "$1/$f" ] || fail "$f is not installed"; done
}

# ---- The virtual X server and the game in it ----
startX() {
    need_tools xdotool xwd
    # ImageMagick itself, not a stand-in of the same name.
    [ -x /usr/bin/convert ] || skip "ImageMagick is missing"
    xvfb_start 640x800x24
}
asPlayer=() # the command prefix that runs as the player
player() {  # player HOME ARGS...: starts the game as the player, in the background
    local home=$1
    shift
    : >"$work/zux.err"
    "${asPlayer[@]}" env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$DISPLAY" \
        SDL_AUDIODRIVER=dummy "$@" >"$work/zux.out" 2>"$work/zux.err" &
    gpid=$!
    windowUp() {
        kill -0 "$gpid" 2>/dev/null || fail "zux ended at once: $(cat "$work/zux.err")"
        xdotool search --name '^zux$' >/dev/null 2>&1
    }
    waitFor 15 windowUp || fail "no window named zux appeared"
    sleep 1 # the pictures load
}
quit() { # quit: F8, then the exit status must be 0 within 10 s
    kill -0 "$gpid" 2>/dev/null || fail "zux ended before F8: $(cat "$work/zux.err")"
    key F8 0
    waitExit "$gpid" 10 || fail "zux did not close within 10 s of F8"
    gpid=
    [ "$status" = 0 ] || fail "zux exited with $status: $(cat "$work/zux.err")"
}
shows() { # shows: the screen is not black, so the game found its pictures
    local b
    xwd -root -silent >"$work/shot.xwd" || fail "xwd cannot take a screenshot"
    b=$(/usr/bin/convert "xwd:$work/shot.xwd" -colorspace Gray -threshold 8% -format '%[fx:mean]' \
        info:) || fail "ImageMagick cannot read the screenshot"
    awk -v b="$b" 'BEGIN { exit !(b > 0.05) }' || fail "the window is black: no Data.zux found"
}
word() { od -An -t d4 -j $(($2 * 4)) -N 4 "$1" | tr -d ' '; } # word FILE N

work=$(mktemp -d /tmp/zux-install-XXXXXX)
chmod 755 "$work" # the player must reach the prefix

case $mode in
dist)
    need_tools desktop-file-validate appstreamcli man
    out=$(desktop-file-validate "$src/dist/zux.desktop" 2>&1) || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    out=$(appstreamcli validate --no-net --strict --pedantic "$src/dist/zux.metainfo.xml" 2>&1) ||
        fail "appstreamcli validate: $out"
    out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$src/dist/zux.6" \
        2>&1 >"$work/man.txt")
    [ -z "$out" ] || fail "man -l warns: $out"
    # Every option the program knows is in the manual, and the version is the build's.
    "$build/zux" --help >"$work/help.txt" || fail "zux --help failed"
    for option in $(grep -o -- '--[a-z-]*' "$work/help.txt"); do
        grep -q -- "$option" "$work/man.txt" || fail "the manual lacks $option"
    done
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    grep -q "<release version=\"$version\"" "$src/dist/zux.metainfo.xml" ||
        fail "the metadata has no release $version"
    grep -q "\"zux $version\"" "$src/dist/zux.6" || fail "the manual is not of zux $version"
    echo "PASS: desktop entry, metadata and manual page are valid"
    ;;

prefix)
    startX
    prefix=$work/prefix
    "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
        fail "cmake --install failed: $(tail -n 3 "$work/install.log")"
    checkInstalled "$prefix"
    # High scores carried beside the program (a portable copy moved to an
    # installed one): every name BBB, every score 0, so any game enters.
    for _ in $(seq 20); do printf '\1\0\0\0\1\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0'; done \
        >"$prefix/bin/HS.dat"
    # This prefix is not the one the build was configured for: the program
    # finds the data in the share/zux/ beside its own bin/.
    chmod -R a-w "$prefix"
    home=$work/home
    mkdir -p "$home"
    if [ "$(id -u)" = 0 ]; then
        need_tools setpriv
        uid=$(id -u nobody) gid=$(id -g nobody) || skip "there is no user nobody"
        chown "$uid:$gid" "$home"
        asPlayer=(setpriv --reuid="$uid" --regid="$gid" --clear-groups)
    fi
    saves=$home/.local/share/zux

    # First run: the options page, sound off, quit.
    player "$home" "$prefix/bin/zux" --windowed
    key Return 0.6 # the intro gives way to the menu
    shows
    for k in Down Down Down; do key "$k"; done
    key 1 3.5 # OPTIONS: its page slides in (2 s)
    key 1 0.6 # the sound switch
    quit
    [ -s "$work/zux.err" ] && fail "the first run printed: $(cat "$work/zux.err")"
    [ -f "$saves/SS.dat" ] || fail "SS.dat is not in $saves: $(ls -R "$home")"
    [ "$(stat -c %s "$saves/SS.dat")" = 1052 ] || fail "SS.dat is not 1052 bytes"
    [ "$(word "$saves/SS.dat" 9)" = 0 ] || fail "the sound switch was not saved as off"
    [ -e "$saves/HS.dat" ] && fail "HS.dat was written without a new score"

    # Second run: a type B game of hard drops until it is over; the name entry
    # gets three letters and the end key. It must start silent, as saved.
    player "$home" "$prefix/bin/zux" --windowed
    key Return 0.6
    key Down
    key 1 3.5 # NEW GAME: the game types slide in
    key Down
    key 1 2 # TYPE B: the menu slides out (1 s)
    # 7: hard drop in the game (some 5 s of it end the game), leaves "game
    # over", then types A's in the name entry. There the cursor moves to the
    # end key, a step taking 0.14 s in which keys are not read.
    for _ in $(seq 45); do key 7 0.3; done
    for k in Right Right Right Right Right Down Down Down Down Down Down; do key "$k" 0.5; done
    key 1 2 # the end key: the score is inserted a second later
    quit
    [ "$(word "$saves/SS.dat" 9)" = 0 ] || fail "the second run did not read the sound switch"
    [ -f "$saves/HS.dat" ] || fail "HS.dat is not in $saves"
    [ "$(stat -c %s "$saves/HS.dat")" = 400 ] || fail "HS.dat is not 400 bytes"
    # Table B (rows 5 to 9): the new score on top, then the BBBs read from
    # beside the program (the built-in table has ZUX and 1100 there).
    row5=$(od -An -t d4 -j 100 -N 20 "$saves/HS.dat" | xargs)
    row6=$(od -An -t d4 -j 120 -N 20 "$saves/HS.dat" | xargs)
    [[ $row5 =~ ^0\ 0\ 0\ [1-9][0-9]*\ 1$ ]] || fail "table B's first row is $row5, not AAA's game"
    [ "$row6" = "1 1 1 0 0" ] || fail "the high scores beside the program were not read ($row6)"
    cmp -s "$prefix/bin/HS.dat" <(for _ in $(seq 20); do
        printf '\1\0\0\0\1\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0'
    done) || fail "HS.dat beside the program changed"

    # A home that cannot be written either: one line naming the folder, exit 0.
    rohome=$work/rohome
    mkdir -p "$rohome"
    chmod a-w "$rohome"
    player "$rohome" "$prefix/bin/zux" --windowed
    quit
    lines=$(wc -l <"$work/zux.err")
    [ "$lines" = 1 ] || fail "without a save folder zux printed $lines lines: $(cat "$work/zux.err")"
    grep -q "$rohome/.local/share/zux" "$work/zux.err" ||
        fail "the line does not name the folder: $(cat "$work/zux.err")"
    echo "PASS: installed read-only, played as $("${asPlayer[@]}" id -un): the sound switch" \
        "and a type B high score were saved in ~/.local/share/zux and read again;" \
        "without a save folder: $(cat "$work/zux.err")"
    ;;

deb)
    need_tools dpkg-deb dpkg-shlibdeps dpkg
    startX
    "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
        fail "cpack failed: $(tail -n 5 "$work/cpack.log")"
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
    arch=$(dpkg --print-architecture)
    deb=$work/pkg/zux_${version}_${arch}.deb
    [ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/pkg")"
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = zux ] || fail "Package: $(field Package)"
    [ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
    [ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
    [ "$(field Section)" = games ] || fail "Section: $(field Section)"
    [ -n "$(field Maintainer)" ] || fail "no Maintainer"
    depends=$(field Depends)
    [[ $depends =~ (^|, )libsdl2-2\.0-0( |,|$) ]] || fail "Depends lacks libsdl2-2.0-0: $depends"
    [[ $depends =~ (^|, )libc6( |,|$) ]] || fail "Depends lacks libc6: $depends"

    root=$work/root
    dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
    checkInstalled "$root$prefix"
    zux=$root$prefix/bin/zux
    out=$("$zux" --version) || fail "zux --version failed"
    [[ $out =~ ^zux\ ${version//./\\.}(\ \([0-9a-f]{7,}\))?$ ]] || fail "zux --version says: $out"
    # The unpacked program finds the package's data beside its own bin/.
    player "$work" "$zux" --windowed --home "$work/debhome"
    key Return 0.6
    shows
    quit
    [ -s "$work/debhome/SS.dat" ] || fail "--home got no SS.dat"
    echo "PASS: $(basename "$deb") ($depends) unpacks, says $out and plays"
    ;;
*) fail "unknown mode $mode" ;;
esac
