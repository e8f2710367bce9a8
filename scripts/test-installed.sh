#!/usr/bin/env bash
# The Debian packages as a team uses them (make test-installed): installed with apt-get,
# then driven with nothing of the checkout's build folders or python/ reachable (they are
# moved aside for the run and put back at the end), then purged.
#   scripts/test-installed.sh DEB_DIR
# It needs root (apt-get) and port 4242 free.
set -euo pipefail
debs=$(realpath "$1")
source_dir=$(realpath "$(dirname "$0")/..")
packages=(testclient testclient-qt5 testclient-qt6)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive QT_QPA_PLATFORM=offscreen
unset PYTHONPATH TESTCLIENT_RUN TESTCLIENT_BIN TESTCLIENT_QT5_PLUGINS TESTCLIENT_QT6_PLUGINS

work=$(mktemp -d)
hidden="$source_dir/.hidden-by-test-installed"
installed=false
restore() {
    # A run that failed half-way leaves the machine as it found it: packages purged too.
    if $installed; then
        $SUDO apt-get purge -y -qq "${packages[@]}" >/dev/null 2>&1 || true
    fi
    if [ -d "$hidden" ]; then
        for moved in "$hidden"/*; do [ -e "$moved" ] && mv "$moved" "$source_dir/"; done
        rmdir "$hidden"
    fi
    rm -rf "$work"
}
trap restore EXIT
step() { echo "== test-installed: $*"; }
fail() { echo "test-installed: FAILED: $*" >&2; exit 1; }

step "lintian"
lintian --fail-on error "$debs"/*.deb

step "apt-get install ${packages[*]}"
installed=true
$SUDO apt-get install -y -qq --no-install-recommends "$debs"/testclient*.deb >/dev/null
dpkg -L "${packages[@]}" | sort -u > "$work/files"

step "the build folders and python/ moved aside"
mkdir "$hidden"
for dir in "$source_dir"/build* "$source_dir/python"; do
    [ -e "$dir" ] && mv "$dir" "$hidden/"
done

step "no installed ELF file names a folder in its RUNPATH other than its own"
while read -r file; do
    [ -f "$file" ] && head -c4 "$file" | grep -q ELF || continue
    runpath=$(readelf -d "$file" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
    case "$runpath" in ''|'$ORIGIN'|'$ORIGIN/'*) ;; *) fail "$file has RUNPATH $runpath" ;; esac
done < "$work/files"
if ldd /usr/lib/testclient/qt5/plugins/generic/libtestclientplugin.so | grep -q zubase; then
    fail "the Qt plug-in needs the host framework's library"
fi

cd "$work"
step "the Python client from the package, the commands from PATH"
found=$(/usr/bin/python3 -c 'import testclient, os; print(os.path.dirname(testclient.__file__))')
[ "$found" = /usr/lib/python3/dist-packages/testclient ] || fail "testclient imported from $found"
command -v testclient-run testclient-driver testclient-record testclient-webdriver >/dev/null
cp -r "$source_dir/tests/python" "$work/tests"
TESTCLIENT_HOST=/usr/lib/testclient/qt5/testclient-host \
TESTCLIENT_AGENT=/usr/lib/testclient/qt5/libtestclient.so \
    /usr/bin/python3 -m pytest -q -p no:cacheprovider -rs "$work/tests" | tee "$work/pytest.log"
if grep -q "Qt . Designer is not installed\|no agent built for Qt" "$work/pytest.log"; then
    fail "the Qt 5 and Qt 6 Designer test was skipped"
fi

step "Selenium drives Qt 5 programs through the installed WebDriver server"
cp -r "$source_dir/tests/webdriver" "$work/webdriver"
/usr/bin/python3 -m pytest -q -p no:cacheprovider -rs "$work/webdriver/test_selenium.py"

step "a Qt 5 example driven by the installed driver from a requests file"
testclient-driver --raw "$source_dir/demo/example-validators.requests" -- testclient-run -- \
    /usr/lib/x86_64-linux-gnu/qt5/examples/widgets/widgets/validators/validators \
    > "$work/qt5.out" 2>> "$work/programs.log"
grep -q '^0,b:true$' "$work/qt5.out" || fail "validators: $(cat "$work/qt5.out")"

step "Qt 6's Designer through the Qt 6 package"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" testclient-driver --raw \
    "$source_dir/tests/packaging/designer.requests" -- testclient-run -- /usr/lib/qt6/bin/designer \
    > "$work/qt6.out" 2>> "$work/programs.log"
grep -q '^0,New Form' "$work/qt6.out" && grep -q qt642 "$work/qt6.out" ||
    fail "designer: $(cat "$work/qt6.out")"

step "a host program built against the installed CMake package"
cmake -S "$source_dir/tests/packaging/host" -B "$work/host" >/dev/null
cmake --build "$work/host" >/dev/null
testclient-driver --raw "$source_dir/tests/packaging/host.requests" -- "$work/host/installed-host" \
    > "$work/host.out" 2>> "$work/programs.log"
# The label's text, read through the agent: "built against the installed package".
grep -q "^0,u:$(printf 'built against the installed package' | od -An -tx1 | tr -d ' \n')\$" \
    "$work/host.out" || fail "host: $(cat "$work/host.out")"

step "apt-get purge leaves nothing behind"
$SUDO apt-get purge -y -qq "${packages[@]}" >/dev/null
installed=false
left=()
while read -r path; do
    # Folders that other packages share (/usr/bin, ...) stay; everything of ours goes.
    if [ -f "$path" ] || [ -L "$path" ]; then left+=("$path"); fi
done < "$work/files"
for dir in /usr/lib/testclient /usr/include/testclient /usr/lib/cmake/TestClient \
           /usr/lib/python3/dist-packages/testclient /usr/share/doc/testclient; do
    [ -e "$dir" ] && left+=("$dir")
done
[ ${#left[@]} -eq 0 ] || fail "left after purge: ${left[*]}"
step "passed"
