#!/usr/bin/env bash
# Installing zux as a player gets it (77: skipped, a tool is missing).
#   install_test.sh dist|prefix|deb BUILD SOURCE CMAKE
# dist: the desktop entry, metadata and manual page validate. prefix: installed read-only and
# played under a virtual X server by a user who cannot write there, a sound switch and a high
# score land in ~/.local/share/zux/ and are read again; with a home that cannot be written
# either, one line and exit 0. deb: the Debian package of BUILD (scripts/release.sh), its fields
# and documents, unpacked and started.
set -uo pipefail

mode=${1:?usage: install_test.sh dist|prefix|deb BUILD SOURCE CMAKE}
build=${2:?} src=${3:?} cmake=${4:?}
keep=${ZUX_INSTALL_KEEP:-0} # 1 keeps the temporary folder
# shellcheck source=tests/xvfb.sh
. "$src/tests/xvfb.sh" # skip, fail, need_tools, the X server and the game in it
xvfb_work install
chmod 755 "$work" # the player must reach the prefix
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
bindir=$(sed -n 's/^CMAKE_INSTALL_BINDIR:PATH=//p' "$build/CMakeCache.txt") # games for a release

checkInstalled() { # checkInstalled ROOT [MANUAL]: every file an install must hold is there
    local f
    for f in "$bindir/zux" share/{zux/Data.zux,applications/zux.desktop,metainfo/zux.metainfo.xml} \
        "share/man/man6/${2:-zux.6}" 16 22 24 32 48 64 128 256; do
        [[ $f == [0-9]* ]] && f=share/icons/hicolor/${f}x$f/apps/zux.png # an icon's size
        [ -s "$1/$f" ] || fail "$f is not installed"
    done
}
startX() { need_tools xdotool xwd && need_imagemagick && xvfb_start 640x800x24; }
asPlayer=() # the command prefix that runs the game as the player
word() { od -An -t d4 -j $(($2 * 4)) -N 4 "$1" | tr -d ' '; } # word FILE N
bbb() { for _ in $(seq 20); do printf '\1\0\0\0\1\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0'; done; }

case $mode in
dist)
    need_tools desktop-file-validate appstreamcli man
    out=$(desktop-file-validate "$src/dist/zux.desktop" 2>&1) && [ -z "$out" ] ||
        fail "desktop-file-validate: $out"
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
    grep -q "<release version=\"$version\"" "$src/dist/zux.metainfo.xml" ||
        fail "the metadata has no release $version"
    grep -q "\"zux $version\"" "$src/dist/zux.6" || fail "the manual is not of zux $version"
    echo "PASS: desktop entry, metadata and manual page are valid"
    ;;

prefix)
    startX
    prefix=$work/prefix home=$work/home saves=$work/home/.local/share/zux
    "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
        fail "cmake --install failed: $(tail -n 3 "$work/install.log")"
    checkInstalled "$prefix"
    # High scores beside the program (a portable copy moved to an installed one): every name
    # BBB, every score 0, so any game enters. The prefix is not the one the build was
    # configured for: the program finds the data in the share/zux/ beside its own bin/.
    bbb >"$prefix/bin/HS.dat"
    chmod -R a-w "$prefix"
    mkdir -p "$home"
    if [ "$(id -u)" = 0 ]; then
        need_tools setpriv
        uid=$(id -u nobody) gid=$(id -g nobody) || skip "there is no user nobody"
        chown "$uid:$gid" "$home"
        asPlayer=(setpriv --reuid="$uid" --regid="$gid" --clear-groups)
    fi

    # First run: past the intro, the options page (it slides in for 2 s), sound off, quit.
    play "$home" "$prefix/bin/zux" --windowed
    keys Down Down Down 1:3.5 1:0.6
    ends F8 zux "$work/zux.err"
    [ -s "$work/zux.err" ] && fail "the first run printed: $(cat "$work/zux.err")"
    [ "$(stat -c %s "$saves/SS.dat")" = 1052 ] || fail "no SS.dat of 1052 bytes in $saves"
    [ "$(word "$saves/SS.dat" 9)" = 0 ] || fail "the sound switch was not saved as off"
    [ -e "$saves/HS.dat" ] && fail "HS.dat was written without a new score"

    # Second run, silent as saved: NEW GAME, TYPE B (the menu slides out in 1 s), hard drops (7)
    # till game over and A's in the name entry; to its end key (0.14 s a step, no keys read).
    play "$home" "$prefix/bin/zux" --windowed
    keys Down 1:3.5 Down 1:2
    for _ in $(seq 45); do key 7 0.3; done
    keys Right:0.5{,,,,} Down:0.5{,,,,,} 1:2 # 5 Rights, 6 Downs; the score goes in a second later
    ends F8 zux "$work/zux.err"
    [ "$(word "$saves/SS.dat" 9)" = 0 ] || fail "the second run did not read the sound switch"
    [ "$(stat -c %s "$saves/HS.dat")" = 400 ] || fail "no HS.dat of 400 bytes in $saves"
    # Table B (rows 5 to 9): the new score, then the BBBs beside the program (built in: ZUX, 1100).
    rows=$(od -An -t d4 -j 100 -N 40 "$saves/HS.dat" | xargs)
    [[ $rows =~ ^0\ 0\ 0\ [1-9][0-9]*\ 1\ 1\ 1\ 1\ 0\ 0$ ]] ||
        fail "table B's first rows are $rows, not AAA's game over the BBBs beside the program"
    cmp -s "$prefix/bin/HS.dat" <(bbb) || fail "HS.dat beside the program changed"

    # A home that cannot be written either: a line for each kind of file not
    # saved (the folder, zux.cfg, the replay, SS.dat), each naming the folder; exit 0.
    mkdir -p "$work/rohome" && chmod a-w "$work/rohome"
    play "$work/rohome" "$prefix/bin/zux" --windowed
    ends F8 zux "$work/zux.err"
    kinds=$(sed -n 's/^zux: cannot save \(.*\) in .*rohome\/.local\/share\/zux\/.*: Permission denied$/\1/p' \
        "$work/zux.err" | LC_ALL=C sort | xargs)
    [ "$kinds" = "SS.dat a replay zux.cfg" ] && [ "$(wc -l <"$work/zux.err")" = 4 ] &&
        grep -q "^zux: cannot save in $work/rohome/.local/share/zux/: Permission denied" "$work/zux.err" ||
        fail "without a save folder zux did not say once what it cannot save where: $(cat "$work/zux.err")"
    echo "PASS: installed read-only, played as $("${asPlayer[@]}" id -un): the sound switch and a" \
        "high score saved in ~/.local/share/zux and read again; unsaved: $(cat "$work/zux.err")"
    ;;

deb)
    need_tools dpkg-deb dpkg-shlibdeps dpkg
    startX
    arch=$(dpkg --print-architecture)
    deb=$work/zux_${version}_${arch}.deb
    (cd "$src" && PATH=$(dirname "$cmake"):$PATH && . scripts/release.sh && zux_deb "$build" "$deb") \
        >"$work/deb.log" 2>&1 || fail "zux_deb failed: $(tail -n 5 "$work/deb.log")"
    for f in Package=zux Version="$version" Architecture="$arch" Section=games Priority=optional \
        Maintainer=.+; do
        got=$(dpkg-deb -f "$deb" "${f%%=*}")
        [[ $got =~ ^${f#*=}$ ]] || fail "${f%%=*}: $got"
    done
    depends=$(dpkg-deb -f "$deb" Depends)
    [[ $depends =~ (^|, )libsdl2-2\.0-0( |,|$) ]] || fail "Depends lacks libsdl2-2.0-0: $depends"
    [[ $depends =~ (^|, )libc6( |,|$) ]] || fail "Depends lacks libc6: $depends"

    dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x failed"
    checkInstalled "$work/root/usr" zux.6.gz
    for f in copyright changelog.gz; do
        [ -s "$work/root/usr/share/doc/zux/$f" ] || fail "/usr/share/doc/zux/$f is missing"
    done
    zcat "$work/root/usr/share/doc/zux/changelog.gz" | head -n 1 | grep -q "^zux ($version) " ||
        fail "the changelog does not start with $version"
    zux=$work/root/usr/$bindir/zux
    out=$("$zux" --version) || fail "zux --version failed"
    [[ $out =~ ^zux\ ${version//./\\.}(\ \([0-9a-f]{7,}\))?$ ]] || fail "zux --version says: $out"
    # The unpacked program finds the package's data beside its own bin/.
    play "$work" "$zux" --windowed --home "$work/debhome"
    ends F8 zux "$work/zux.err"
    [ -s "$work/debhome/SS.dat" ] || fail "--home got no SS.dat"
    echo "PASS: $(basename "$deb") ($depends) unpacks, says $out and plays"
    ;;
*) fail "unknown mode $mode" ;;
esac
