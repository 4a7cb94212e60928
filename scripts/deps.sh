# Sourced by ./play and ./test: makes sure the Debian packages the build needs
# are there, installing them when run as root.
zux_need_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing ${missing[*]} ..."
        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null || {
            echo "apt-get could not install: ${missing[*]}" >&2
            exit 1
        }
    else
        echo "Missing packages. Run:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}

# True when clang links a libFuzzer target with AddressSanitizer.
zux_clang_links_fuzzer() {
    local dir ok=1
    dir=$(mktemp -d)
    printf '#include <stddef.h>\n#include <stdint.h>\nint LLVMFuzzerTestOneInput(const uint8_t *d, size_t n) { return 0; }\n' >"$dir/t.c"
    if clang -fsanitize=fuzzer,address "$dir/t.c" -o "$dir/t" >/dev/null 2>&1; then ok=0; fi
    rm -rf "$dir"
    return $ok
}

# Makes sure clang can build libFuzzer targets: clang itself and the runtime
# package of its version (libclang-rt-N-dev, e.g. libclang-rt-14-dev).
zux_need_fuzzer() {
    zux_need_packages clang
    zux_clang_links_fuzzer && return 0
    zux_need_packages "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
    zux_clang_links_fuzzer || {
        echo "clang cannot link libFuzzer targets" >&2
        exit 1
    }
}

# Makes sure BUILD holds zux-headless and Data.zux (building them when not) and
# that ImageMagick is there: what the scripts that draw docs/ need.
zux_need_headless_build() {
    local build=$1
    if [ ! -x "$build/zux-headless" ] || [ ! -f "$build/Data.zux" ]; then
        cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
        cmake --build "$build" -j"$(nproc)" --target zux-headless data >/dev/null
    fi
    [ -x /usr/bin/convert ] || {
        echo "ImageMagick is needed (Debian: imagemagick)" >&2
        exit 1
    }
}

# Prints "skipped: TEST: WHY" for every test the last ctest run in each BUILD
# skipped, from its log: the "SKIPPED: WHY" line of a shell test, or the
# message under GoogleTest's "Skipped".
zux_skipped() {
    local build
    for build in "$@"; do
        [ -f "$build/Testing/Temporary/LastTest.log" ] || continue
        awk '
            / Testing: / { name = $3; why = "" }
            /^SKIPPED: / { why = substr($0, 10) }
            after { why = $0; after = 0 }
            /: Skipped$/ { after = 1 }
            /^<end of output>$/ { if (why != "") print "skipped: " name ": " why; why = "" }
        ' "$build/Testing/Temporary/LastTest.log"
    done
}
