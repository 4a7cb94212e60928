#!/usr/bin/env bash
# The Windows build under wine, against the Linux build of the same tree:
# - zux.exe and zux-headless.exe import only Windows' own DLLs; zux.exe is a
#   GUI program with an icon; Data.zux is the Linux build's, byte for byte;
# - zux-headless.exe gives the Linux zux-headless's traces, SS.dat and HS.dat
#   byte for byte (intro, menus, a whole game of each type, a name entry);
# - the Win32 file calls (a folder named in three scripts) and the replace,
#   killed while it writes, leaving the old file or the new one, whole;
# - in a window on a virtual X server: docs/game.zuxreplay and a replay the
#   Linux build recorded play to a match in zux.exe --replay, its last frame
#   the headless one; a game played through the X server's keyboard, closed
#   with F8, leaves SS.dat and a replay that Linux zux-headless plays to a
#   match beside zux.exe, where replays\ keeps the newest 20; scale 1, F11 and Alt+Enter, a key bound in zux.cfg, the focus
#   freeze and --close-on-focus-loss, one line without a sound device; from a
#   read-only folder the saves go to %APPDATA%\zux\;
# - the zip holds exactly its files.
#
#   windows_test.sh LINUX_BUILD WINDOWS_BUILD ZIP   (77: skipped, no wine or X tools)
set -uo pipefail

linux=$(realpath "${1:?usage: windows_test.sh LINUX_BUILD WINDOWS_BUILD ZIP}")
wbuild=$(realpath "${2:?}")
zip=$(realpath "${3:?}")
src=$(realpath "$(dirname "$0")/..")
. "$src/tests/xvfb.sh"
need_tools wine wineserver x86_64-w64-mingw32-objdump Xvfb xdotool xwd xeyes unzip
need_imagemagick
xvfb_work windows
headless=$linux/zux-headless

# One wine prefix for the run, made first (about 12 s); no crash dialog, no
# sound card, no prompts to install Mono or Gecko.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
wine wineboot -i >"$work/wineboot.log" 2>&1 || fail "wine could not make a prefix: $(tail -n 3 "$work/wineboot.log")"
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
trap 'wineserver -k 2>/dev/null; chattr -i "$work/readonly" 2>/dev/null; for p in $gpid $epid $xpid; do kill "$p" 2>/dev/null; done; wait 2>/dev/null
    [ "$keep" = 1 ] || { chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"; }' EXIT
appdata=$(find "$WINEPREFIX/drive_c/users" -mindepth 3 -maxdepth 3 -path '*/AppData/Roaming' | head -n 1)
[ -d "$appdata" ] || fail "the prefix has no AppData\\Roaming"
winrun() { # winrun DIR PROGRAM ARGS...: a program of the Windows build, run in DIR; CRs dropped
    local dir=$1
    shift
    local s
    (cd "$dir" && wine "$@" 2>&1 | tr -d '\r' && exit "${PIPESTATUS[0]}")
    s=$?
    wineserver -w
    return "$s"
}

# The programs: Windows' DLLs only, the GUI subsystem and an icon for zux.exe.
for exe in zux.exe zux-headless.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$wbuild/$exe" | sed -n 's/^\tDLL Name: //p' | sort -f | tr '\n' ' ')
    for d in $dlls; do
        case ${d,,} in
        advapi32.dll | gdi32.dll | imm32.dll | kernel32.dll | msvcrt.dll | ole32.dll | oleaut32.dll | \
            setupapi.dll | shell32.dll | user32.dll | version.dll | winmm.dll | dinput8.dll) ;;
        *) fail "$exe imports $d, which is not Windows' own ($dlls)" ;;
        esac
    done
done
headers=$(x86_64-w64-mingw32-objdump -p -h "$wbuild/zux.exe")
grep -q '^Subsystem.*Windows GUI' <<<"$headers" || fail "zux.exe is not a GUI program"
grep -q ' \.rsrc ' <<<"$headers" || fail "zux.exe has no resources"
cmp -s "$wbuild/Data.zux" "$linux/Data.zux" || fail "Data.zux differs from the Linux build's"

# The zip: the folder of the download and its five files, nothing else.
name=$(basename "$zip" .zip)
listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
expected="$name/Data.zux $name/LICENSE $name/README.txt $name/SDL2-LICENSE.txt $name/zux.exe "
[ "$listed" = "$expected" ] || fail "the zip holds: $listed"
unzip -p "$zip" "$name/zux.exe" | cmp -s - "$wbuild/zux.exe" || fail "the zip's zux.exe is not the build's"
unzip -p "$zip" "$name/README.txt" | grep -c $'\r$' >/dev/null || fail "README.txt does not have Windows line endings"

# The file calls, and the replace killed while it writes: each time the file
# is the old one or the new one, whole.
mkdir -p "$work/files"
out=$(ZUX_CHECK_VALUE='grüß €' winrun "$work/files" "$wbuild/zux-files-check.exe" 'Z:\'"${work//\//\\}"'\files')
[ "$out" = "files ok" ] || fail "the Win32 file calls: $out"
for round in 1 2 3 4 5; do
    rm -f "$work/files/hammer"*
    (cd "$work/files" && exec wine "$wbuild/zux-files-check.exe" --hammer hammer.dat >"$work/files/hammer.log" 2>&1) &
    gpid=$!
    ready() { grep -qs ready "$work/files/hammer.log"; }
    waitFor 20 ready || fail "the replacing program never started: $(cat "$work/files/hammer.log")"
    sleep "0.$((RANDOM % 9 + 1))"
    kill -KILL "$gpid"
    wait "$gpid" 2>/dev/null
    gpid=
    wineserver -k
    wineserver -w
    [ "$(stat -c %s "$work/files/hammer.dat")" = 262144 ] &&
        [ "$(tr -d a <"$work/files/hammer.dat" | wc -c)" = 0 ] ||
        [ "$(tr -d b <"$work/files/hammer.dat" | wc -c)" = 0 ] ||
        fail "a replace killed in round $round left a broken file"
done

# Headless, key file by key file: the same trace and files as on Linux.
cat >"$work/keys-menus" <<'EOF'
5 press 1
10 press Down
12 press Down
15 press 1
70 press Down
72 press Down
75 press 1
150 press Down
152 press Down
154 press Down
160 press 1
240 press F9
300 press Down
305 press 1
380 press 2
420 press 9
EOF
gameKeys() { # gameKeys TYPE: a game of the type played to its end and left
    local t
    printf '5 press 1\n10 press Down\n15 press 1\n'
    for ((t = 0; t < $1; t++)); do echo "$((100 + 3 * t)) press Down"; done
    printf '110 press 1\n180 press 5\n'
    for ((t = 200; t <= 800; t += 2)); do echo "$t press Down"; done
    echo "900 press 5"
}
for type in 0 1 2 3; do gameKeys $type >"$work/keys-game$type"; done
# The name entry: table B of zero scores, a short game of type B enters it.
{
    printf '5 press 1\n10 press Down\n12 press Down\n15 press 1\n70 press Down\n72 press Down\n'
    printf '75 press 1\n150 press Down\n155 press 1\n210 press Down\n215 press 1\n250 press 5\n300 press 5\n'
    for ((t = 400; t <= 1500; t += 2)); do echo "$t press Down"; done
    printf '1590 press 1\n1592 press Left\n1594 press 1\n1596 press Right\n1604 press 1\n1606 press Right\n'
    printf '1615 press 1\n1617 press Right\n1626 press 1\n1628 press Down\n1670 press Right\n1679 press 1\n'
    printf '1696 press 1\n1706 press 1\n'
} >"$work/keys-name"
: >"$work/keys-intro"
nameTable() { # HS.dat: 20 rows of five little-endian words, table B all zero scores
    local t r
    for ((t = 0; t < 4; t++)); do
        for ((r = 0; r < 5; r++)); do
            local s=$((t == 1 ? 0 : 1000 - 100 * r))
            for v in 25 20 23 $s $((5 - r)); do printf "$(printf '\\x%02x\\x%02x\\x00\\x00' $((v & 255)) $((v >> 8)))"; done
        done
    done
}
for run in intro:1000 menus:600 game0:1000 game1:1000 game2:1000 game3:1000 name:2400; do
    what=${run%:*} ticks=${run#*:}
    for side in linux windows; do
        mkdir -p "$work/$side-$what"
        cp "$linux/Data.zux" "$work/$side-$what/"
        [ "$what" = name ] && nameTable >"$work/$side-$what/HS.dat"
    done
    "$headless" --dir "$work/linux-$what" --ticks "$ticks" --keys "$work/keys-$what" \
        --trace "$work/linux-$what/trace.jsonl" >/dev/null || fail "Linux zux-headless: $what"
    winrun "$work/windows-$what" "$wbuild/zux-headless.exe" --dir . --ticks "$ticks" \
        --keys "Z:${work//\//\\}\\keys-$what" --trace trace.jsonl >"$work/windows-$what.log" ||
        fail "zux-headless.exe: $what: $(cat "$work/windows-$what.log")"
    for f in trace.jsonl SS.dat HS.dat; do
        [ -f "$work/linux-$what/$f" ] || [ ! -f "$work/windows-$what/$f" ] || fail "$what: only Windows wrote $f"
        [ -f "$work/linux-$what/$f" ] || continue
        cmp -s "$work/linux-$what/$f" "$work/windows-$what/$f" || fail "$what: $f differs from Linux"
    done
done
grep -q '"screen":"NameEntry"' "$work/linux-name/trace.jsonl" || fail "the name entry was never reached"
for type in 0 1 2 3; do
    grep -q "\"gamePhase\":7,\"gameType\":$type" "$work/linux-game$type/trace.jsonl" || fail "game $type never ended"
done

# The window: a screen of 480 x 640, where the full-screen game shows at scale 2.
xvfb_start 480x640x24
# --version and --help answer on the console of a GUI program too (on a
# desktop, as Windows always has one).
mkdir -p "$work/console"
out=$(winrun "$work/console" "$wbuild/zux.exe" --version) && [[ $out == "zux "[0-9]* ]] ||
    fail "zux.exe --version: $out"
out=$(winrun "$work/console" "$wbuild/zux.exe" --help) && [[ $out == usage:* ]] || fail "zux.exe --help: $out"

notBlack() {
    shot start && [ "$("$convert" "$work/start.png" -colorspace Gray -threshold 8% -format '%[fx:mean]' info:)" != 0 ]
}
start() { # start DIR ARGS...: zux.exe full screen from DIR; sets gpid, win
    local dir=$1
    shift
    : >"$work/zux.log"
    (cd "$dir" && exec wine ./zux.exe "$@" >>"$work/zux.log" 2>&1) &
    gpid=$!
    found() { win=$(xdotool search --name '^zux$' 2>/dev/null | head -n 1) && [ -n "$win" ]; }
    waitFor 30 found || fail "no window named zux appeared: $(cat "$work/zux.log")"
    xdotool windowfocus --sync "$win" 2>/dev/null
}
ends() { # ends KEY WHAT: KEY must close zux.exe with status 0 within 15 s
    key "$1" 0
    waitExit "$gpid" 15 || fail "$2 did not close on $1"
    gpid=
    wineserver -w
    [ "$status" = 0 ] || fail "$2 exited with $status: $(cat "$work/zux.log")"
}
game() { # game DIR: a copy of the Windows game in DIR
    mkdir -p "$1" && cp "$wbuild/zux.exe" "$linux/Data.zux" "$1/"
}

# Start-up: from the command to the first intro frame on the screen.
game "$work/portable"
# 25 older runs in replays\: the 6 oldest go, so 20 are left with the new one.
mkdir -p "$work/portable/replays"
for i in $(seq -w 0 24); do
    echo "# zux replay 1" >"$work/portable/replays/2020-01-01_00-00-$i.zuxreplay"
    touch -d "@$((1577836800 + 10#$i))" "$work/portable/replays/2020-01-01_00-00-$i.zuxreplay"
done
begin=$(date +%s%N)
start "$work/portable"
waitFor 30 notBlack || fail "the window stayed black"
startup=$((($(date +%s%N) - begin) / 1000000))
# A game of type B through the keyboard, then F8: SS.dat and the replay beside zux.exe.
sleep 1
keys Return:1 Down:0.5 1:3.5 Down:0.5 Return:2 7:0.4 Left:0.4 7:0.4 Right:0.4 3:0.4 7:0.4
ends F8 zux.exe
[ "$(stat -c %s "$work/portable/SS.dat" 2>/dev/null)" = 1052 ] || fail "F8 did not leave SS.dat beside zux.exe"
replay=$(ls -t "$work/portable/replays/"*.zuxreplay 2>/dev/null | head -n 1)
[ -n "$replay" ] && [[ $replay != */2020-* ]] || fail "no replay in replays\\ beside zux.exe"
kept=$(ls "$work/portable/replays" | sort | head -n 1)
[ "$(ls "$work/portable/replays" | wc -l)" = 20 ] && [ "$kept" = 2020-01-01_00-00-06.zuxreplay ] ||
    fail "replays\\ kept $(ls "$work/portable/replays" | wc -l) runs from $kept on, not the newest 20"
last=$(sed -n 's/^# end \([0-9]*\) .*/\1/p' "$replay")
mkdir -p "$work/check" && cp "$linux/Data.zux" "$work/check/"
out=$("$headless" --dir "$work/check" --replay "$replay" --trace "$work/check/trace.jsonl" 2>&1)
[ "$out" = "replay matches ($last ticks)" ] || fail "Linux zux-headless --replay of zux.exe's replay: $out"
grep -q '"gameType":1' "$work/check/trace.jsonl" || fail "the run in zux.exe never reached a type B game"

# Replays in the viewer: the project's own and one the Linux build records
# now; each ends in a match, its last frame the headless one.
mkdir -p "$work/rec" && cp "$linux/Data.zux" "$work/rec/"
"$headless" --dir "$work/rec" --ticks 900 --keys "$work/keys-game2" --record "$work/rec/linux.zuxreplay" \
    >/dev/null || fail "Linux zux-headless could not record a replay"
for r in "$src/docs/game.zuxreplay" "$work/rec/linux.zuxreplay"; do
    b=$(basename "$r")
    cp "$r" "$work/portable/$b"
    last=$(sed -n 's/^# end \([0-9]*\) .*/\1/p' "$r")
    rm -rf "$work/ref" && mkdir -p "$work/ref" && cp "$linux/Data.zux" "$work/ref/"
    "$headless" --dir "$work/ref" --replay "$r" --frames "$work/ref" --frame-at "$last" >/dev/null ||
        fail "the headless frames of $b"
    start "$work/portable" --replay "$b"
    sleep 1
    keys KP_Add:0.2 KP_Add:0.2
    verdict() { grep -q '^replay ' "$work/zux.log"; }
    waitFor 90 verdict || fail "zux.exe --replay $b gave no verdict: $(cat "$work/zux.log")"
    grep -q "^replay matches ($last ticks)" "$work/zux.log" || fail "zux.exe --replay $b: $(cat "$work/zux.log")"
    shot "end-$b"
    n=$("$compare" -metric AE -fuzz 2% "$work/end-$b.png" "$work/ref/frame-$(printf %06d "$last").png" null: 2>&1 |
        cut -d' ' -f1)
    [ "$n" = 0 ] || fail "the window's last frame of $b differs from the headless one in $n pixels"
    ends Escape "zux.exe --replay $b"
done

# A window at scale 1; F11 and Alt+Enter switch to full screen and back; a
# key bound in zux.cfg by SDL's name quits; with no sound device the game says
# so in one line and plays on.
echo 'key Q = F8' >>"$work/portable/zux.cfg"
size() { xdotool getwindowgeometry "$win" | sed -n 's/^ *Geometry: //p'; }
sized() { [ "$(size)" = "$1" ]; }
SDL_AUDIODRIVER=none start "$work/portable" --windowed --scale 1
waitFor 10 sized 240x320 || fail "--windowed --scale 1 gave a window of $(size)"
key F11 0
waitFor 10 sized 480x640 || fail "F11 did not fill the screen: $(size)"
xdotool windowfocus --sync "$win" 2>/dev/null
key alt+Return 0
waitFor 10 sized 240x320 || fail "Alt+Enter did not bring the window back: $(size)"
xdotool windowfocus --sync "$win" 2>/dev/null
ends q "zux.exe --windowed, Q bound to F8 in zux.cfg,"
[ "$(tr -d '\r' <"$work/zux.log")" = "zux: no sound device, playing silently" ] ||
    fail "without a sound device zux.exe said: $(cat "$work/zux.log")"

start "$work/portable" --windowed
sleep 1
# Another window takes the focus: the game freezes and saves at once; the
# keyboard's focus and a click bring it back (wine without a window manager
# activates a window on a click).
xeyes -geometry 60x60+400+0 >/dev/null 2>&1 &
epid=$!
away() { xdotool windowfocus --sync "$(xdotool search --class xeyes | head -n 1)"; }
waitFor 10 xdotool search --class xeyes >/dev/null || fail "xeyes did not start"
rm -f "$work/portable/SS.dat"
away
saved() { [ -s "$work/portable/SS.dat" ]; }
waitFor 10 saved || fail "SS.dat was not written when the focus went"
moving() { xwd -root -silent >"$work/m1.xwd" && sleep 0.3 && xwd -root -silent >"$work/m2.xwd" &&
    ! cmp -s "$work/m1.xwd" "$work/m2.xwd"; }
moving && fail "the frame moved while the game was frozen"
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool mousemove --window "$win" 100 100 click 1
waitFor 10 moving || fail "the game did not run on when the focus came back"
ends F8 "zux.exe after the focus came back"

# --close-on-focus-loss: leaving the window closes the game.
start "$work/portable" --windowed --close-on-focus-loss
sleep 1
away
waitExit "$gpid" 15 || fail "zux.exe --close-on-focus-loss did not close when the focus went"
gpid=
wineserver -w
[ "$status" = 0 ] || fail "zux.exe --close-on-focus-loss exited with $status"
kill "$epid" 2>/dev/null

# A read-only program folder: the saves go to %APPDATA%\zux\ of the prefix.
# (Root writes through the mode bits, not into an immutable folder.)
game "$work/readonly"
chmod a-w "$work/readonly"
if [ "$(id -u)" = 0 ]; then chattr +i "$work/readonly" || fail "chattr +i cannot make a folder read-only"; fi
start "$work/readonly"
waitFor 30 notBlack || fail "the window stayed black (read-only folder)"
ends F8 "zux.exe in a read-only folder"
[ -f "$appdata/zux/SS.dat" ] || fail "with a read-only folder, SS.dat is not in %APPDATA%\\zux\\"
[ ! -e "$work/readonly/SS.dat" ] || fail "SS.dat was written in the read-only folder"
[ "$(id -u)" = 0 ] && chattr -i "$work/readonly"
chmod u+w "$work/readonly"

echo "PASS: the Windows build under wine: imports, zip, file calls, crash-safe replace, headless traces and saves as on Linux, replays both ways, the window, saves beside zux.exe and in %APPDATA% (start-up to the first intro frame: $startup ms)"
