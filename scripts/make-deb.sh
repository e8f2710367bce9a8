#!/usr/bin/env bash
# Builds the Debian packages from a Qt 5 and a Qt 6 build folder (make deb):
#   testclient      the commands, the Python client, host headers and the CMake package
#   testclient-qt5  the agent for Qt 5 programs (from the Qt 5 build)
#   testclient-qt6  the agent for Qt 6 programs (from the Qt 6 build)
# Each package's tree is what `cmake --install --component` lays out under /usr; dpkg's own
# tools compute the dependencies from the ELF files (dpkg-shlibdeps) and write the control
# file (dpkg-gencontrol).
#   scripts/make-deb.sh QT5_BUILD QT6_BUILD OUT_DIR
set -euo pipefail
qt5_build=$(realpath "$1")
qt6_build=$(realpath "$2")
out=$(realpath -m "$3")
source_dir=$(realpath "$(dirname "$0")/..")

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$qt5_build/CMakeCache.txt")
[ -n "$version" ] || { echo "make-deb: no project version in $qt5_build" >&2; exit 1; }
# The date of the sources, not of the build: the same sources give the same packages.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || date +%s)}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/debian" "$out"
cp "$source_dir/packaging/debian/control" "$work/debian/control"
cat > "$work/debian/changelog" <<CHANGELOG
testclient ($version) unstable; urgency=medium

  * Version $version, built from the TestClient sources.

 -- TestClient developers <developers@testclient.invalid>  $(date -R -u -d "@$SOURCE_DATE_EPOCH")
CHANGELOG

# stage PACKAGE BUILD COMPONENT: the component's files under the package's root, stripped.
stage() {
    local root="$work/debian/$1"
    DESTDIR="$root" cmake --install "$2" --prefix /usr --component "$3" --strip >/dev/null
    local doc="$root/usr/share/doc/$1"
    mkdir -p "$doc"
    install -m 644 "$source_dir/packaging/debian/copyright" "$doc/copyright"
    gzip -9n -c "$work/debian/changelog" > "$doc/changelog.gz"
    chmod 644 "$doc/changelog.gz"
}

# package NAME: dependencies, control file, checksums, then the .deb.
package() {
    local name=$1 root="$work/debian/$1"
    mkdir -p "$root/DEBIAN"
    local elves
    mapfile -t elves < <(cd "$work" && find "debian/$name" -type f \( -name '*.so*' -o -perm -u+x \) \
                             -exec sh -c 'head -c4 "$1" | grep -q "ELF"' _ {} \; -print)
    : > "$work/debian/$name.substvars"
    if [ ${#elves[@]} -gt 0 ]; then
        # The agent's own libraries (the host framework's stand-in) come with the package.
        (cd "$work" && dpkg-shlibdeps -T"debian/$name.substvars" "${elves[@]}" 2>&1 |
            { grep -v "can't extract name and version from library name 'libzubase.so'" || true; } >&2)
    fi
    for script in postinst prerm; do
        if [ -f "$source_dir/packaging/debian/$name.$script" ]; then
            install -m 755 "$source_dir/packaging/debian/$name.$script" "$root/DEBIAN/$script"
        fi
    done
    (cd "$work" && dpkg-gencontrol -p"$name" -T"debian/$name.substvars" -P"$root")
    (cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum > DEBIAN/md5sums)
    chmod 644 "$root/DEBIAN/md5sums"
    find "$root" -type d -exec chmod 755 {} +
    dpkg-deb --root-owner-group -Zxz --build "$root" "$out" >/dev/null
}

stage testclient "$qt5_build" tools
stage testclient-qt5 "$qt5_build" agent
stage testclient-qt6 "$qt6_build" agent
for name in testclient testclient-qt5 testclient-qt6; do
    package "$name"
done
ls "$out"/testclient*_"$version"_*.deb
