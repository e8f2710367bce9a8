#!/usr/bin/env bash
# Runs the gallery application with the agent loaded and drives it through the driver:
# once plain, once attached to a stand-in installation of the outside test tool.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/$build/bin"
plugin="$root/$build/lib/libtestclient.so"
host_program="$bin/testclient-host"
log="$root/$build/demo-host.log"
: >"$log"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

run() { # run <title> <requests file> [environment...]
    local title=$1 requests=$2
    shift 2
    echo
    echo "=== $title"
    local ready
    ready=$(mktemp -u)
    "$bin/testclient-driver" --timeout 30 --ready-file "$ready" "$requests" &
    local driver=$!
    # The driver must listen before the agent starts: the agent never reconnects.
    for _ in $(seq 100); do
        [ -e "$ready" ] && break
        kill -0 "$driver" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$ready"
    # The host's own Qt warnings (the offscreen platform cannot raise windows, say) go to
    # a log beside the build, so the driver's transcript stays readable.
    env "$@" "$host_program" --agent "$plugin" 2>>"$log" &
    local host=$!
    local status=0
    wait "$driver" || status=$?
    kill -TERM "$host" 2>/dev/null || true
    wait "$host" 2>/dev/null || true
    return $status
}

run "Driving the gallery (${QT_QPA_PLATFORM:-desktop} platform)" "$root/demo/gallery.requests"

# The build installed with cmake --install and then moved: nothing in the tree refers back
# to where it was installed or built.
installed=$(mktemp -d)
cmake --install "$root/$build" --prefix "$installed/first" >/dev/null
mv "$installed/first" "$installed/moved"
agent_dir=$(echo "$installed"/moved/lib/testclient/qt*)
bin="$installed/moved/bin" host_program="$agent_dir/testclient-host" \
    plugin="$agent_dir/libtestclient.so" \
    run "The same, installed (cmake --install) and moved to $installed/moved" \
    "$root/demo/installed.requests"
rm -rf "$installed"

# One more run per topic (demo/gallery-<topic>.requests), each against a fresh gallery.
for topic in "$root"/demo/gallery-*.requests; do
    [ -e "$topic" ] || continue
    name=$(basename "$topic" .requests)
    run "Driving the gallery: ${name#gallery-}" "$topic"
done

# A window of 10,000 widgets (the benchmark's host, which loads the agent itself), timed by
# the driver. Its own output is the benchmark's and stays out of the demo.
if [ -x "$bin/bench_host" ]; then
    echo
    echo "=== A window of 10,000 widgets, timed"
    "$bin/testclient-driver" --timeout 30 "$root/demo/large-window.requests" -- \
        sh -c 'exec "$0" --widgets 10000 >/dev/null' "$bin/bench_host" 2>>"$log"
fi

# Qt's own example programs, unmodified, with the agent attached by testclient-run. They
# and SpeedCrunch are Qt 5 programs (qtbase5-examples): an agent built against Qt 6 cannot
# load into them, so a Qt 6 build's demo leaves them out.
qt_major=$(sed -n 's/^TESTCLIENT_QT_MAJOR:STRING=//p' "$root/$build/CMakeCache.txt" 2>/dev/null)
qt5=false
examples=""
if [ "${qt_major:-5}" = 5 ]; then
    qt5=true
    examples=$(qmake -query QT_INSTALL_EXAMPLES 2>/dev/null || true)
else
    echo
    echo "=== Qt's examples and SpeedCrunch are Qt 5 programs: left out of a Qt $qt_major build's demo"
fi
for requests in "$root"/demo/example-*.requests; do
    [ -e "$requests" ] || continue
    name=$(basename "$requests" .requests)
    [ -n "$examples" ] || break
    program=$(find "$examples" -type f -perm -u+x -name "${name#example-}" 2>/dev/null | head -n1)
    [ -n "$program" ] || continue
    echo
    echo "=== Attaching to Qt's example ${name#example-} ($program)"
    "$bin/testclient-driver" --timeout 30 "$requests" -- \
        "$bin/testclient-run" -- "$program" 2>>"$log"
done

# The extended mode on an example that names none of its widgets: selectors, UTF-8 text,
# the widget listing and a screenshot taken inside the program.
addressbook=""
if [ -n "$examples" ]; then
    addressbook=$(find "$examples" -type f -perm -u+x -path '*addressbook/part2/part2' 2>/dev/null | head -n1)
fi
if [ -n "$addressbook" ]; then
    echo
    echo "=== The extended mode: Qt's address book example by what it shows ($addressbook)"
    "$bin/testclient-driver" --timeout 30 "$root/demo/extended-mode.requests" -- \
        "$bin/testclient-run" -- "$addressbook" 2>>"$log"
fi

# The same example through WebDriver: Selenium's Python bindings and testclient-webdriver.
if [ -n "$addressbook" ] && /usr/bin/python3 -c 'import selenium, lxml' 2>/dev/null; then
    echo
    echo "=== WebDriver: Selenium drives the address book by its labels' text"
    /usr/bin/python3 "$root/demo/webdriver.py" "$bin" "$addressbook" 2>>"$log"
fi

# A real program from Debian, when installed: typing into its own editor class, and keys.
if $qt5 && command -v speedcrunch >/dev/null; then
    echo
    echo "=== SpeedCrunch, unmodified: its expression editor and the key request"
    home=$(mktemp -d)
    HOME=$home XDG_CONFIG_HOME=$home XDG_DATA_HOME=$home \
        "$bin/testclient-driver" --timeout 30 "$root/demo/real-programs.requests" -- \
        "$bin/testclient-run" -- speedcrunch 2>>"$log"
    rm -rf "$home"
fi

# A program of the tests' own: input that arrives after scrolling or waiting, and keys that
# could not arrive reported as such.
if [ -x "$bin/inputhost" ]; then
    echo
    echo "=== Input that arrives, or says why it cannot (tests/e2e/inputhost)"
    "$bin/testclient-driver" --timeout 30 "$root/demo/input-delivery.requests" -- \
        "$bin/testclient-run" -- "$bin/inputhost" 2>>"$log"
fi

# Recording: X input on the gallery example under a private Xvfb (xdotool plays the person)
# becomes steps, written as a requests file and a pytest file, and the requests file brings
# a fresh gallery to the same state.
gallery=$(find "$examples" -type f -perm -u+x -path '*widgets/gallery/gallery' 2>/dev/null | head -n1)
if [ -n "$gallery" ] && command -v xdotool >/dev/null && command -v Xvfb >/dev/null; then
    echo
    echo "=== Recording a session on Qt's widget gallery ($gallery)"
    /usr/bin/python3 "$root/demo/record-session.py" "$bin" "$gallery" "$root/$build" 2>>"$log"
fi

tool=$(mktemp -d)
trap 'rm -rf "$tool"' EXIT
"$root/src/host/squish-standin/make-install-tree.sh" "$root/$build" "$tool" >/dev/null
run "Again, with a stand-in installation of the outside test tool (accepts 41234)" \
    "$root/demo/squish.requests" SQUISH_PREFIX="$tool" SQUISH_STANDIN_ACCEPT=41234
echo
echo "(the host application's own messages are in $log)"

