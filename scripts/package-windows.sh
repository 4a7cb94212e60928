#!/usr/bin/env bash
# Builds the Windows download, release/zux-<version>-windows-x64.zip, cross-
# compiled with MinGW-w64 (scripts/windows.sh), and prints its path. SDL2 is
# built once from Debian's source into build-windows/sdl2/ (or $ZUX_SDL2_CACHE).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
. scripts/windows.sh
zux_windows_packages
zux_windows_zip
