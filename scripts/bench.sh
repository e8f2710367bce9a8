#!/usr/bin/env bash
# Runs the request benchmark against fresh hosts and keeps the run: the table goes to the
# terminal and, with a description of the machine, to bench/results/<time>-<host>.txt.
#   scripts/bench.sh [build-dir] [bench_requests options, e.g. --memory-requests 0]
set -euo pipefail
build=${1:-build}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$root/bench/results"
out="$root/bench/results/$(date -u +%Y-%m-%dT%H%MZ)-$(hostname -s).txt"

describe() {
    echo "run:       $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
    echo "machine:   $(uname -srm), $(nproc) cores"
    echo "cpu:       $(lscpu 2>/dev/null | sed -n 's/^Model name: *//p' | head -1)" \
         "($(lscpu 2>/dev/null | sed -n 's/^Hypervisor vendor: *//p' | head -1 | sed 's/^\(.\)/virtual machine, &/'))"
    echo "caches:    $(lscpu 2>/dev/null | sed -n 's/^\(L[23]\) cache: *\(.*\)/\1 \2/p' | paste -sd, -)"
    echo "memory:    $(free -m | awk '/^Mem:/ {print $2 " MiB"}')"
    echo "load:      $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min) at start"
    qt_major=$(sed -n 's/^TESTCLIENT_QT_MAJOR:STRING=//p' "$root/$build/CMakeCache.txt" 2>/dev/null)
    echo "Qt:        $(pkg-config --modversion "Qt${qt_major:-5}Core" 2>/dev/null || echo unknown)," \
         "build type $(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$root/$build/CMakeCache.txt" 2>/dev/null)"
    echo "platform:  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}"
    echo
}

# Without a runtime folder every host warns on stderr, and a warning can land inside a row of
# the table.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

{
    describe
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$root/$build/bin/bench_requests" "$@"
    echo
    echo "Long typing (enter requests), in ms of the GUI thread's CPU time:"
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$root/$build/bin/bench_typing"
    echo
    /usr/bin/python3 "$root/bench/bench_webdriver.py" "$root/$build/bin"
    echo
    echo "load:      $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min) at the end"
} 2>&1 | grep --line-buffered -v 'XDG_RUNTIME_DIR' | tee "$out"
echo "== kept in ${out#"$root"/}"
