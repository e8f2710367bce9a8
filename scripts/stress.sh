#!/usr/bin/env bash
# The end-to-end tests on a real X server (Xvfb) while busy loops burn every core beside
# them, run again and again. On a loaded machine the window system answers late (the
# keyboard focus arrives after the raise has long returned), which a quiet machine hides:
# input must arrive, or the request must say that it did not.
#   scripts/stress.sh [build-dir] [runs] [burners]
# Defaults: build (from the current folder), 20 runs, one busy loop more than the machine
# has cores.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-20}
burners=${3:-$(($(nproc) + 1))}
command -v xvfb-run >/dev/null || { echo "stress: needs xvfb-run (scripts/install-deps.sh)"; exit 1; }

pids=()
stop_burners() { [ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null || true; }
trap stop_burners EXIT
for _ in $(seq "$burners"); do
    (while :; do :; done) &
    pids+=($!)
done

echo "== $runs runs of the end-to-end tests under Xvfb beside $burners busy loops"
passed=0
failed=0
log=$(mktemp)
for run in $(seq "$runs"); do
    start=$SECONDS
    if (cd "$build" && QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" \
            ctest -L e2e --output-on-failure) >"$log" 2>&1; then
        passed=$((passed + 1))
        echo "run $run: passed ($((SECONDS - start)) s)"
    else
        failed=$((failed + 1))
        echo "run $run: FAILED ($((SECONDS - start)) s)"
        grep -E 'FAIL!|Actual|Expected|Loc:|\*\*\*Failed|Timeout' "$log" | head -20 | sed 's/^/    /'
    fi
done
rm -f "$log"
echo "stress: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
