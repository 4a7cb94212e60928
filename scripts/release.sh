# shellcheck shell=bash
# Sourced by ./package and the scripts that make downloads: how each download
# is made into release/, and the check that two builds give the same bytes.
# Archives depend only on what goes in (entries sorted, fixed times, owners
# and modes), dated by SOURCE_DATE_EPOCH (the commit's date when unset).

# The commit a release is made of: ZUX_TREE (./test gives its working tree
# as one), else HEAD.
zux_tree() { echo "${ZUX_TREE:-HEAD}"; }

# The release date: SOURCE_DATE_EPOCH, else the commit's (in a source
# tarball git archive wrote it into dist/revision), else 0.
zux_source_date() {
    if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
        SOURCE_DATE_EPOCH=$(awk '$2 ~ /^[0-9]+$/ { print $2 }' dist/revision 2>/dev/null)
        [ -n "$SOURCE_DATE_EPOCH" ] ||
            SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$(zux_tree)" 2>/dev/null || echo 0)
    fi
    export SOURCE_DATE_EPOCH
}

# Gives every file in DIR the release date and plain modes (programs 755).
zux_normalize_tree() {
    local dir=$1
    zux_source_date
    find "$dir" -type d -exec chmod 755 {} +
    find "$dir" -type f -perm /111 -exec chmod 755 {} +
    find "$dir" -type f ! -perm /111 -exec chmod 644 {} +
    find "$dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# zux_zip DIR OUT.zip: DIR's contents, under DIR's own name, as a zip.
zux_zip() {
    local dir out
    dir=$(realpath "$1")
    out=$(realpath -m "$2")
    zux_normalize_tree "$dir"
    rm -f "$out"
    (cd "$(dirname "$dir")" && find "$(basename "$dir")" -mindepth 1 -print | LC_ALL=C sort |
        TZ=UTC zip -q -X -D -@ "$out")
}

# zux_tar_gz DIR OUT.tar.gz: DIR, under its own name, as a gzipped tar.
zux_tar_gz() {
    local dir out
    dir=$(realpath "$1")
    out=$(realpath -m "$2")
    zux_normalize_tree "$dir"
    tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
        --format=gnu -C "$(dirname "$dir")" -cf - "$(basename "$dir")" | gzip -n -9 >"$out"
}

# The project's version, as CMakeLists.txt's project() line gives it.
zux_version() {
    sed -n 's/^project(zux VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}

ZUX_MAINTAINER=${ZUX_MAINTAINER:-"zux maintainers <maintainers@zux.invalid>"}

# CHANGELOG.md on stdin as a Debian changelog on stdout: a version's
# headings become items, its points the items' lines, wrapped to 78 columns.
zux_debian_changelog() {
    local line version='' heading='' point='' date
    flush() { # the point read so far
        [ -n "$point" ] || return 0
        printf '%s\n' "$point" | fold -s -w 72 | sed -e 's/ *$//' -e '1s/^/    - /' -e '2,$s/^/      /'
        point=
    }
    trailer() {
        flush
        [ -n "$version" ] || return 0
        date=$(LC_ALL=C date -u -R -d "$date")
        printf '\n -- %s  %s\n\n' "$ZUX_MAINTAINER" "$date"
    }
    while IFS= read -r line; do
        line=${line//\`/}
        case $line in
        "## ["[0-9]*)
            trailer
            version=${line#*[} version=${version%%]*} date=${line##* }
            printf 'zux (%s) unstable; urgency=medium\n\n' "$version"
            ;;
        "## "*) trailer && version= ;;
        "### "*) flush && heading=${line#"### "} ;;
        "- "*)
            flush
            [ -n "$version" ] || continue
            [ -z "$heading" ] || printf '  * %s:\n' "$heading"
            heading='' point=${line#- }
            ;;
        "  "*[![:space:]]*) [ -z "$point" ] || point+=" ${line#"${line%%[![:space:]]*}"}" ;;
        *) flush ;;
        esac
    done
    trailer
}

# zux_strip PROGRAM OUT: the program without its symbols and the compiler's
# note (as Debian strips its packages' programs).
zux_strip() { strip --remove-section=.comment --remove-section=.note -o "$2" "$1"; }

# zux_deb BUILD OUT.deb: BUILD installed under /usr (the program in the bin
# folder BUILD was configured with: games for a release), with the copyright
# file, the changelog and a compressed manual page, as a Debian package.
zux_deb() {
    local build=$1 out stage root version arch bindir depends size
    out=$(realpath -m "$2")
    stage=$(mktemp -d) root=$stage/root
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    bindir=$(sed -n 's/^CMAKE_INSTALL_BINDIR:PATH=//p' "$build/CMakeCache.txt")
    arch=$(dpkg --print-architecture)
    DESTDIR=$root cmake --install "$build" --prefix /usr >"$stage/install.log" || {
        cat "$stage/install.log" >&2
        return 1
    }
    zux_strip "$build/zux" "$root/usr/$bindir/zux" || return 1
    gzip -n -9 "$root/usr/share/man/man6/zux.6" || return 1
    mkdir -p "$root/usr/share/doc/zux" "$root/DEBIAN" "$stage/debian"
    cp dist/copyright "$root/usr/share/doc/zux/copyright" || return 1
    zux_debian_changelog <CHANGELOG.md | gzip -n -9 >"$root/usr/share/doc/zux/changelog.gz"
    # dpkg-shlibdeps names the run-time libraries the program links (SDL2,
    # the C and C++ libraries); it wants a debian/control to read.
    printf 'Source: zux\n\nPackage: zux\nArchitecture: any\n' >"$stage/debian/control"
    depends=$(cd "$stage" && dpkg-shlibdeps -O "root/usr/$bindir/zux" 2>/dev/null) || return 1
    size=$(find "$root/usr" -type f -printf '%s\n' | awk '{ k += int(($1 + 1023) / 1024) } END { print k }')
    sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@MAINTAINER@/$ZUX_MAINTAINER/" \
        -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/${depends#shlibs:Depends=}/" dist/control >"$root/DEBIAN/control"
    (cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$root/DEBIAN/md5sums"
    zux_normalize_tree "$root"
    dpkg-deb --root-owner-group -Zxz --build "$root" "$out" >/dev/null || return 1
    rm -rf "$stage"
}

# zux_release_build: the Release build the Linux downloads are made of, in
# build-package/, for an install under /usr with the program in /usr/games;
# hardened as Debian's own packages are.
zux_release_build() {
    cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DCMAKE_INSTALL_BINDIR=games -DZUX_TESTS=OFF -DZUX_BENCH=OFF \
        "-DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
        "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro,-z,now" >/dev/null
    cmake --build build-package -j"$(nproc)" --target zux data >/dev/null
}

# zux_portable BUILD OUT.tar.gz: the portable folder: the program, Data.zux
# beside it (so it saves beside itself), README and LICENSE.
zux_portable() {
    local dir
    dir=$1/portable/$(basename "$2" .tar.gz)
    rm -rf "$1/portable" && mkdir -p "$dir"
    zux_strip "$1/zux" "$dir/zux" && cp "$1/Data.zux" README.md LICENSE "$dir/" &&
        zux_tar_gz "$dir" "$2"
}

# zux_source OUT.tar.gz: the commit's files under zux-<version>/, as git
# archive gives them (dated by the commit, dist/revision filled in).
zux_source() {
    git -c tar.umask=022 archive --format=tar --prefix="zux-$(zux_version)/" "$(zux_tree)" |
        gzip -n -9 >"$1"
}

# zux_name KIND: where in release/ that download goes.
zux_name() {
    local v
    v=$(zux_version)
    case $1 in
    deb) echo "release/zux_${v}_$(dpkg --print-architecture).deb" ;;
    linux) echo "release/zux-$v-linux-$(uname -m).tar.gz" ;;
    windows) echo "release/zux-$v-windows-x64.zip" ;;
    web) echo "release/zux-$v-web.zip" ;;
    source) echo "release/zux-$v.tar.gz" ;;
    esac
}

# zux_make KIND...: each download into release/ from this tree.
zux_make() {
    local kind out built=0
    mkdir -p release
    for kind; do
        out=$(zux_name "$kind")
        case $kind in
        deb | linux)
            zux_need_packages cmake g++ pkg-config libsdl2-dev dpkg-dev binutils
            [ $built = 1 ] || zux_release_build
            built=1
            ;;
        esac
        case $kind in
        deb) zux_deb build-package "$out" ;;
        linux) zux_portable build-package "$out" ;;
        windows)
            [ -f scripts/package-windows.sh ] || {
                echo "./package windows: scripts/package-windows.sh (the Windows port) is not in this tree" >&2
                return 1
            }
            bash scripts/package-windows.sh
            ;;
        web)
            grep -q -- --dist web || {
                echo "./package web: this tree's ./web has no --dist (the installable web game)" >&2
                return 1
            }
            ./web --dist
            ;;
        source)
            zux_need_packages git
            zux_source "$out"
            ;;
        esac
        [ -s "$out" ] || {
            echo "./package $kind: $out was not made" >&2
            return 1
        }
        echo "$out"
    done
}

# zux_sums: SHA256SUMS over the version's downloads in release/.
zux_sums() {
    local v
    v=$(zux_version)
    (cd release && find . -maxdepth 1 -type f -name "zux*$v*" -printf '%P\n' |
        LC_ALL=C sort | xargs -r sha256sum >SHA256SUMS)
}

# zux_check KIND...: the source tarball made twice; the other downloads made
# in two fresh folders, each the tarball unpacked (no git), with folder names
# of different lengths; every file compared, a difference named (and shown by
# diffoscope when it is there). What was checked goes into ZUX_CHECK_OUT
# (release/). The folders stay in ZUX_CHECK_DIR when it is set, and on a
# difference.
zux_check() {
    local v tmp kind others=() side f one two bad=0
    v=$(zux_version)
    zux_source_date
    # Both builds take SDL2 for Windows from this tree's cache (built once: a dependency, not ours).
    export ZUX_SDL2_CACHE=${ZUX_SDL2_CACHE:-$PWD/build-windows/sdl2}
    tmp=${ZUX_CHECK_DIR:-$(mktemp -d /tmp/zux-check-XXXXXX)}
    mkdir -p "$tmp/one" "$tmp/second-build/src" "${ZUX_CHECK_OUT:=release}"
    zux_source "$tmp/one/zux-$v.tar.gz"
    zux_source "$tmp/second-build/zux-$v.tar.gz"
    for kind; do [ "$kind" = source ] || others+=("$kind"); done
    if [ ${#others[@]} -gt 0 ]; then
        for side in one second-build/src; do
            tar -xzf "$tmp/one/zux-$v.tar.gz" -C "$tmp/$side"
            (cd "$tmp/$side/zux-$v" && SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ./package "${others[@]}") ||
                return 1
        done
    fi
    for kind; do
        f=$(zux_name "$kind")
        if [ "$kind" = source ]; then
            one=$tmp/one/${f#release/} two=$tmp/second-build/${f#release/}
        else
            one=$tmp/one/zux-$v/$f two=$tmp/second-build/src/zux-$v/$f
        fi
        if cmp -s "$one" "$two"; then
            echo "same twice: $f"
            cp "$one" "$ZUX_CHECK_OUT/"
        else
            echo "DIFFERS: $f ($one and $two)" >&2
            if command -v diffoscope >/dev/null; then diffoscope --text - "$one" "$two" | head -n 80 >&2; fi
            bad=1
        fi
    done
    if [ $bad = 1 ]; then
        echo "(the two builds are kept in $tmp)" >&2
    elif [ -z "${ZUX_CHECK_DIR:-}" ]; then
        rm -rf "$tmp"
    fi
    return $bad
}
