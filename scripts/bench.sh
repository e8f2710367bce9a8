#!/usr/bin/env bash
# Runs every benchmark; each checks its own budgets and fails when one is exceeded.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for bench in "$root/$build"/bin/bench_*; do
    echo "== $(basename "$bench")"
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bench" || status=1
done
exit $status
