#!/usr/bin/env bash
# Checks the library as a host's developer receives it, from the default build
# tree (built here if needed):
#   1. `cmake --install` into a temporary prefix puts exactly the public
#      headers, versioned libraries, gmpbill, package files and data there;
#   2. examples/minimal-host builds against that prefix with find_package and
#      runs; a request for another major version is refused;
#   3. `cpack` makes the .deb; unpacked into a scratch root it holds the same
#      files under /usr, and a host compiled with its pkg-config file runs;
#   4. gmpbill, the library, pkg-config and the package all state the version
#      of the project;
#   5. the installed gmpbill runs a scenario through the SQLite ODBC driver
#      with the installed SQLite additions module, the build tree's copy out
#      of the way.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
build=$src/build

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "package-check: $*" >&2
  exit 1
}
# The same text twice, or a failure naming what differs.
same() {
  [ "$2" == "$3" ] || fail "$1: expected '$2', got '$3'"
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
major=${version%%.*}
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "project version '$version' is not MAJOR.MINOR.PATCH"
config=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" | tr '[:upper:]' '[:lower:]')
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
echo "package-check: version $version, libraries in $libdir"

# The files under a tree, relative to it, sorted (links included).
manifest() {
  (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
}

# ---- 1. install into a temporary prefix -------------------------------------
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
manifest "$prefix" >"$work/installed"

{
  echo bin/gmpbill
  for lib in OrbGMPBillEvent OrbGMPBillEventHost; do
    echo "$libdir/lib$lib.so"
    echo "$libdir/lib$lib.so.$major"
    echo "$libdir/lib$lib.so.$version"
  done
  for f in Config ConfigVersion Targets "Targets-$config"; do
    echo "$libdir/cmake/OrbGMPBillEvent/OrbGMPBillEvent$f.cmake"
  done
  echo "$libdir/pkgconfig/orbgmpbillevent.pc"
  echo "$libdir/orbgmpbillevent/orbsqlext.so"
  echo share/doc/orbgmpbillevent/README.md
  (cd refhost && ls templates/*.json schema/*.sql lang/*.po) | sed 's|^|share/orbgmpbillevent/|'
} | LC_ALL=C sort >"$work/expected"
grep '^include/' "$work/installed" >"$work/headers" || fail "no headers installed"
grep -v '^include/' "$work/installed" >"$work/others"
diff -u "$work/expected" "$work/others" || fail "installed files differ from the expected list"

# Public headers: the host contracts and the library entry, self-contained.
inc=$prefix/include/OrbGMPBillEvent
stray=$(grep -vE '^include/OrbGMPBillEvent/(host|frame)/[a-z_]+\.h$' "$work/headers" || true)
[ -z "$stray" ] || fail "headers outside host/ and frame/: $stray"
for h in frame/registry.h frame/version.h host/bill_interface.h host/platform.h; do
  [ -f "$inc/$h" ] || fail "public header $h is not installed"
done
for h in frame/error_trap.h services bills forms refhost; do
  if [ -e "$inc/$h" ]; then fail "private $h is installed"; fi
done
while read -r h; do
  for dep in $(sed -n 's/^#include "\(.*\)"/\1/p' "$prefix/$h"); do
    [ -f "$inc/$dep" ] || fail "$h includes $dep, which is not installed"
  done
done <"$work/headers"

# The libraries' SONAMEs follow the major version.
for lib in OrbGMPBillEvent OrbGMPBillEventHost; do
  soname=$(readelf -d "$prefix/$libdir/lib$lib.so.$version" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')
  same "SONAME of lib$lib" "lib$lib.so.$major" "$soname"
done
same "gmpbill --version" "gmpbill $version" "$("$prefix/bin/gmpbill" --version)"

# The installed gmpbill loads the installed SQLite additions module into the
# SQLite ODBC driver; the build tree's module is moved aside meanwhile, so a
# host that still looked there would fail to connect.
built=$build/refhost/orbsqlext.so
[ -f "$built" ] || fail "the build tree has no $built"
mv "$built" "$built.aside"
trap 'mv "$built.aside" "$built"; rm -rf "$work"' EXIT
odbcdb=$work/odbc.db
env -u ORB_SQLITE_EXTENSION "$prefix/bin/gmpbill" run --database "$odbcdb" \
  --odbc "Driver=SQLite3;Database=$odbcdb;Timeout=5000" tests/scenarios/box_merge/save_checks.json \
  >"$work/odbc.out" 2>&1 || { cat "$work/odbc.out"; fail "the installed gmpbill fails through ODBC"; }
mv "$built.aside" "$built"
trap 'rm -rf "$work"' EXIT
echo "package-check: the installed gmpbill ran a scenario through ODBC with the installed orbsqlext.so"

# ---- 2. the example host against the installed package ----------------------
cmake -S examples/minimal-host -B "$work/example" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" >"$work/example.log" 2>&1 ||
  { cat "$work/example.log"; fail "the example does not configure against the installed package"; }
cmake --build "$work/example" >>"$work/example.log" 2>&1 ||
  { cat "$work/example.log"; fail "the example does not build against the installed package"; }
"$work/example/minimal-host" >"$work/example.out" || { cat "$work/example.out"; fail "minimal-host failed"; }
same "the library's version call" "OrbGMPBillEvent $version" "$(head -n1 "$work/example.out")"
echo "package-check: minimal-host built with find_package and passed"

# A host asking for the next major version must not get this one.
mkdir -p "$work/next-major"
cat >"$work/next-major/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(next_major LANGUAGES NONE)
find_package(OrbGMPBillEvent $((major + 1)).0 QUIET)
if(OrbGMPBillEvent_FOUND)
  message(FATAL_ERROR "version \${OrbGMPBillEvent_VERSION} accepted for $((major + 1)).0")
endif()
CMAKE
cmake -S "$work/next-major" -B "$work/next-major/build" -DCMAKE_PREFIX_PATH="$prefix" \
  >"$work/next-major.log" 2>&1 || { cat "$work/next-major.log"; fail "major version check"; }

# ---- 3. the Debian package ----------------------------------------------------
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/deb/*.deb)
same "package version" "$version" "$(dpkg-deb -f "$deb" Version)"
same "package name" "orbgmpbillevent" "$(dpkg-deb -f "$deb" Package)"
dpkg-deb -f "$deb" Depends | grep -q libsqlite3-0 || fail "the package does not depend on libsqlite3-0"
root=$work/root
dpkg -x "$deb" "$root"
[ "$(ls "$root")" == usr ] || fail "the package puts files outside /usr: $(ls "$root")"
manifest "$root/usr" | grep -v '^share/doc/orbgmpbillevent/changelog' >"$work/packaged"
diff -u "$work/installed" "$work/packaged" || fail "the package's files differ from the install"
same "packaged gmpbill --version" "gmpbill $version" "$("$root/usr/bin/gmpbill" --version)"
[ "$("$root/usr/bin/gmpbill" classes | wc -l)" -gt 0 ] || fail "packaged gmpbill lists no classes"

# A host built with nothing but the package's pkg-config file.
pc=$root/usr/$libdir/pkgconfig
same "pkg-config --modversion" "$version" "$(PKG_CONFIG_PATH=$pc pkg-config --modversion orbgmpbillevent)"
# shellcheck disable=SC2046
g++ -std=c++20 -o "$work/minimal-host-pc" examples/minimal-host/main.cpp \
  $(PKG_CONFIG_PATH=$pc pkg-config --cflags --libs orbgmpbillevent) \
  -Wl,-rpath,"$root/usr/$libdir" || fail "the example does not build with pkg-config"
"$work/minimal-host-pc" >"$work/example-pc.out" ||
  { cat "$work/example-pc.out"; fail "minimal-host built with pkg-config failed"; }
echo "package-check: $(basename "$deb") holds $(wc -l <"$work/packaged") files; minimal-host built with pkg-config and passed"
