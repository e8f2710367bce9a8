#!/bin/sh
# Lays out a throwaway installation tree of the stand-in libraries, for trying the hook
# loader by hand:
#   make-install-tree.sh <build-dir> <target-dir> [variant]
# With a variant (for example qt5158_x64) the libraries go into <target-dir>/<variant>/bin
# as well, so that the loader enters the per-variant tree.
set -e
if [ $# -lt 2 ]; then
    echo "usage: $0 <build-dir> <target-dir> [variant]" >&2
    exit 2
fi
libs="$1/lib/squish-standin"
target="$2"

lay_out() {
    mkdir -p "$1/bin"
    : > "$1/bin/squishrunner"
    chmod +x "$1/bin/squishrunner"
    cp "$libs/libsquishhook.so" "$libs/libsquishqtwrapper.so" "$1/bin/"
}

lay_out "$target"
if [ -n "$3" ]; then
    lay_out "$target/$3"
fi
echo "SQUISH_PREFIX=$target"
