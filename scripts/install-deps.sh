#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the demo need.
# Idempotent and quiet: when everything is present it only checks and returns.
#   scripts/install-deps.sh        what make test, demo and bench need (gcc, and the real
#                                  programs the end-to-end tests drive)
#   scripts/install-deps.sh fuzz   also clang and its libFuzzer runtime, for make fuzz
set -euo pipefail

packages=(cmake g++ make qtbase5-dev qtbase5-private-dev qtbase5-dev-tools xvfb xauth qtbase5-examples python3 python3-pytest
          python3-pytest-xdist x11-apps libedit-dev xdotool)
# xdotool: the recorder's end-to-end test types and clicks through X under Xvfb.
# Real programs that only the end-to-end test tst_realprograms drives (it skips, saying
# which package is missing, without them): SpeedCrunch, Qt Designer and Qt Linguist.
packages+=(speedcrunch qttools5-dev-tools)
if [ "${1:-}" = fuzz ]; then
    packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
