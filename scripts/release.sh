# Sourced by the scripts that make downloads: archives whose bytes depend only
# on what goes in (entries sorted, fixed times, owners and modes), dated by
# SOURCE_DATE_EPOCH (the commit's date when unset). Downloads go to release/.

# The release date: SOURCE_DATE_EPOCH, else the last commit's, else 0.
zux_source_date() {
    if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
        SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 0)
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
