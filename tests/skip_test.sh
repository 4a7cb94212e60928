#!/usr/bin/env bash
# The skips of the shell tests: a missing tool that ./test installs skips the
# test (77) and names the tool, fails it under CI=true, and ./test's summary
# lists each skipped test with its reason.
#   skip_test.sh SOURCE_DIR
set -uo pipefail
src=$1
. "$src/tests/xvfb.sh"
. "$src/scripts/deps.sh"
problems=0
check() { # check WHAT WANT GOT
    [ "$2" = "$3" ] || {
        echo "FAIL: $1: wanted [$2], got [$3]"
        problems=1
    }
}

out=$( (unset CI; need_tools bash zux-no-such-tool) 2>&1)
check "skip status" 77 $?
check "skip line" "SKIPPED: zux-no-such-tool is missing (Debian: zux-no-such-tool)" "$out"
out=$( (CI=true need_tools xwd-no-such-tool) 2>&1)
check "status under CI" 1 $?
check "line under CI" "FAIL: xwd-no-such-tool is missing (Debian: xwd-no-such-tool) (CI=true: ./test installs it)" "$out"
check "package of xwd" x11-apps "$(tool_package xwd)"

work=$(mktemp -d)
mkdir -p "$work/Testing/Temporary"
cat >"$work/Testing/Temporary/LastTest.log" <<'LOG'
1/3 Testing: Window.RealWindow
Output:
----------------------------------------------------------
SKIPPED: Xvfb is missing (Debian: xvfb)
<end of output>
2/3 Testing: Desktop.CommandLine
Output:
----------------------------------------------------------
/src/tests/desktop_test.cpp:228: Skipped
this build has no zux
[  SKIPPED ] Desktop.CommandLine (0 ms)
<end of output>
3/3 Testing: Soak.Short
Output:
----------------------------------------------------------
soak: 50000 ticks
<end of output>
LOG
check "summary" "skipped: Window.RealWindow: Xvfb is missing (Debian: xvfb)
skipped: Desktop.CommandLine: this build has no zux" "$(zux_skipped "$work")"
rm -rf "$work"
exit $problems
