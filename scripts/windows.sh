# Sourced by ./package windows and ./test: cross-builds zux for 64-bit
# Windows with Debian's MinGW-w64 into build-windows/ (zux.exe,
# zux-headless.exe, Data.zux from a native build), with SDL2 built once from
# Debian's own source package into a cache (ZUX_SDL2_CACHE, by default
# build-windows/sdl2/), and packs the download.
#
#   zux_windows_build             build-windows/zux.exe, zux-headless.exe, Data.zux
#   zux_windows_zip               release/zux-<version>-windows-x64.zip (builds first)

ZUX_WIN_BUILD=${ZUX_WIN_BUILD:-build-windows}
ZUX_WIN_TOOLCHAIN=$PWD/dist/windows/mingw-w64.cmake

zux_windows_packages() {
    # dpkg-dev unpacks the source package.
    zux_need_packages cmake g++ pkg-config dpkg-dev zip g++-mingw-w64-x86-64 "$@"
}

# The packages the tests under wine need too (64-bit wine alone is enough);
# where they cannot be installed, says so in one line and fails (under
# CI=true it stops the run instead).
zux_windows_test_packages() {
    (zux_windows_packages unzip wine wine64) >/dev/null 2>&1 && return 0
    # CI's machine can always install it: there a skip is a failure.
    [ "${CI:-}" = true ] && {
        echo "FAIL: wine could not be installed (CI=true)" >&2
        exit 1
    }
    echo "SKIPPED: the Windows build's tests: wine cannot be installed on this machine"
    return 1
}

# The SDL2 version to build: the one the Linux build uses, else "newest".
zux_sdl2_wanted() {
    dpkg-query -W -f='${Version}' libsdl2-dev 2>/dev/null || echo newest
}

# Fetches Debian's libsdl2 source into DIR through a sources list of its own
# (the machine's apt configuration and lists stay as they are).
zux_sdl2_fetch() {
    local dir=$1 version=$2 apt release
    release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    apt=$dir/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
        "${ZUX_DEBIAN_MIRROR:-http://deb.debian.org/debian} $release main" >"$apt/sources.list"
    local opts=(-o "Dir::Etc::sourcelist=$apt/sources.list" -o Dir::Etc::sourceparts=-
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Sandbox::User=root)
    apt-get "${opts[@]}" update -qq >"$apt/update.log" 2>&1 || {
        cat "$apt/update.log" >&2
        echo "windows: apt-get update of the deb-src list failed" >&2
        return 1
    }
    # The Linux build's version; the release's newest when that one is gone.
    (cd "$dir" && { apt-get "${opts[@]}" source -qq "libsdl2${version:+=$version}" ||
        apt-get "${opts[@]}" source -qq libsdl2; }) >"$apt/source.log" 2>&1 || {
        cat "$apt/source.log" >&2
        echo "windows: apt-get source libsdl2 failed" >&2
        return 1
    }
}

# Makes sure the cache holds SDL2 built as a static library for
# x86_64-w64-mingw32 (prefix/), with its licence text; built only when the
# cache is empty or of another version.
zux_sdl2_build() {
    local cache=${ZUX_SDL2_CACHE:-$ZUX_WIN_BUILD/sdl2} wanted
    mkdir -p "$cache"
    cache=$(realpath "$cache")
    wanted=$(zux_sdl2_wanted)
    if [ -f "$cache/prefix/lib/libSDL2.a" ] && [ "$(cat "$cache/version" 2>/dev/null)" = "$wanted" ]; then
        ZUX_SDL2_PREFIX=$cache/prefix
        return 0
    fi
    echo "windows: building SDL2 $wanted for x86_64-w64-mingw32 in $cache (a few minutes, once)"
    rm -rf "$cache/fetch" "$cache/build" "$cache/prefix" "$cache/version"
    mkdir -p "$cache/fetch"
    zux_sdl2_fetch "$cache/fetch" "${wanted#newest}" || return 1
    local src
    src=$(find "$cache/fetch" -mindepth 1 -maxdepth 1 -type d -name 'libsdl2-*' | head -n1)
    [ -n "$src" ] || {
        echo "windows: no libsdl2 source unpacked" >&2
        return 1
    }
    cmake -S "$src" -B "$cache/build" -DCMAKE_TOOLCHAIN_FILE="$ZUX_WIN_TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$cache/prefix" \
        -DCMAKE_C_FLAGS="-ffile-prefix-map=$src=libsdl2" \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF >"$cache/configure.log" 2>&1 || {
        tail -n 30 "$cache/configure.log" >&2
        return 1
    }
    cmake --build "$cache/build" -j"$(nproc)" >"$cache/build.log" 2>&1 || {
        tail -n 30 "$cache/build.log" >&2
        return 1
    }
    cmake --install "$cache/build" >"$cache/install.log" 2>&1 || return 1
    cp "$src/LICENSE.txt" "$cache/prefix/SDL2-LICENSE.txt"
    (cd "$src" && dpkg-parsechangelog -S Version) >"$cache/prefix/SDL2-VERSION"
    echo "$wanted" >"$cache/version"
    rm -rf "$cache/fetch" "$cache/build"
    ZUX_SDL2_PREFIX=$cache/prefix
}

# Builds build-windows/zux.exe and zux-headless.exe, with Data.zux (and the
# icon) from a native build in build-windows/native/.
zux_windows_build() {
    local build=$ZUX_WIN_BUILD
    zux_sdl2_build || return 1
    cmake -S . -B "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUX_WITH_SDL=OFF \
        -DZUX_TESTS=OFF -DZUX_BENCH=OFF >/dev/null || return 1
    cmake --build "$build/native" -j"$(nproc)" --target data >/dev/null || return 1
    "$build/native/zux-artgen" --ico "$build/native/zux.ico" || return 1
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$ZUX_WIN_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
        -DSDL2_DIR="$ZUX_SDL2_PREFIX/lib/cmake/SDL2" -DZUX_ICO="$PWD/$build/native/zux.ico" \
        >/dev/null || return 1
    cmake --build "$build" -j"$(nproc)" --target zux zux-headless zux-files-check || return 1
    cp "$build/native/Data.zux" "$build/Data.zux"
}

# Writes release/zux-<version>-windows-x64.zip (the unzipped folder of the
# game: zux.exe, Data.zux, README.txt with Windows line endings, LICENSE,
# SDL2-LICENSE.txt) and prints its path. Builds first.
zux_windows_zip() {
    . scripts/release.sh
    local version name stage
    [ -f LICENSE ] || {
        echo "windows: LICENSE is missing at the top of the tree; the zip needs it" >&2
        return 1
    }
    zux_windows_build >&2 || return 1
    version=$(zux_version)
    name=zux-$version-windows-x64
    stage=$ZUX_WIN_BUILD/zip/$name
    rm -rf "$ZUX_WIN_BUILD/zip"
    mkdir -p "$stage" release
    cp "$ZUX_WIN_BUILD/zux.exe" "$ZUX_WIN_BUILD/Data.zux" LICENSE "$stage/"
    cp "$ZUX_SDL2_PREFIX/SDL2-LICENSE.txt" "$stage/"
    sed -e "s/@VERSION@/$version/" -e 's/$/\r/' dist/windows/README.txt >"$stage/README.txt"
    zux_zip "$stage" "release/$name.zip" || return 1
    echo "$PWD/release/$name.zip"
}
