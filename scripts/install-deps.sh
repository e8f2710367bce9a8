#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the demo need.
# Idempotent and quiet: when everything is present it only checks and returns.
#   scripts/install-deps.sh        what make test, demo and bench need (gcc, and the real
#                                  programs the end-to-end tests drive)
#   scripts/install-deps.sh fuzz   also clang and its libFuzzer runtime, for make fuzz
#   scripts/install-deps.sh qt6    also Qt 6, for make test QT=6 (and the other targets with QT=6)
#   scripts/install-deps.sh deb    also Debian's packaging tools, for make deb
set -euo pipefail

packages=(cmake g++ make qtbase5-dev qtbase5-private-dev qtbase5-dev-tools xvfb xauth qtbase5-examples python3 python3-pytest
          python3-pytest-xdist python3-setuptools x11-apps libedit-dev xdotool)
# The WebDriver server reads XPath with lxml; its tests drive it with Selenium's Python
# bindings, and WebdriverIO and Appium run on Node (npm ci from tests/webdriver's lock):
# Debian's Node unless a Node with its own npm is installed already.
packages+=(python3-lxml python3-selenium)
command -v npm >/dev/null || packages+=(nodejs npm)
# python3-setuptools writes the Python package's metadata (its pytest entry point) at build time.
# xdotool: the recorder's end-to-end test types and clicks through X under Xvfb.
# Real programs that only the end-to-end test tst_realprograms drives (it skips, saying
# which package is missing, without them): SpeedCrunch, Qt Designer and Qt Linguist.
packages+=(speedcrunch qttools5-dev-tools)
# Programs only the recorder's sessions drive (they skip without them): KCalc, a KDE
# calculator with keyboard shortcuts (47.6 MB with its KDE libraries), and KeePassXC,
# whose new-database wizard has masked password fields (36.4 MB).
packages+=(kcalc keepassxc)
# KNetWalk (a KDE game) draws its board in a QQuickWidget inside a widget main window: the
# real program the Qt Quick tests drive (they skip without it); like every KDE program it
# quits without a session bus, which the test starts with dbus-run-session (dbus-daemon).
packages+=(knetwalk dbus-daemon)
# Qt Quick: the gallery's QQuickWidget panel and QQuickWindow (Quick Widgets' development
# files, the QML modules its controls come from) and Qt's Quick examples that the end-to-end
# tests drive. The agent itself links none of them (docs/qtquick.md).
packages+=(qtdeclarative5-dev qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-layouts
           qml-module-qtquick-controls2 qml-module-qtquick-templates2 qtdeclarative5-examples)
for extra in "$@"; do
    case "$extra" in
    fuzz) packages+=(clang libclang-rt-dev) ;;
    # Qt 6 beside Qt 5: the development files bring Qt Test and the GL headers, the private
    # ones the platform interface the plug-in sizes the headless screen with; the QPA
    # plug-ins are offscreen and xcb; Designer and Linguist are Qt 6 programs to attach to.
    qt6) packages+=(qt6-base-dev qt6-base-private-dev qt6-qpa-plugins qt6-tools-dev-tools
                    qt6-declarative-dev qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtquick-layouts
                    qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtqml-workerscript) ;;
    deb) packages+=(dpkg-dev lintian) ;;
    *) echo "install-deps: unknown extra '$extra' (fuzz, qt6, deb)" >&2; exit 2 ;;
    esac
done

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
