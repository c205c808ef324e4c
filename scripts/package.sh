#!/usr/bin/env bash
# Builds the Debian package orbicap_VERSION_amd64.deb with CPack.
#   scripts/package.sh                 release build in build-package/, package there
#   scripts/package.sh BUILD [OUTDIR]  package an existing build folder instead
# Prints the path of the package it made.
set -euo pipefail
# Folders given on the command line are the caller's, not the repository's.
build=${1:-}
out=${2:-}
[ -n "$build" ] && build=$(cd "$build" && pwd)
if [ -n "$out" ]; then
  mkdir -p "$out"
  out=$(cd "$out" && pwd)
fi
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ -z "$build" ]; then
  build=build-package
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DORBICAP_BUILD_TESTS=OFF -DORBICAP_BUILD_BENCH=OFF >/dev/null
  cmake --build "$build"
fi
build=$(cd "$build" && pwd)
out=${out:-$build}
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
  cat "$out/cpack.log" >&2
  exit 1
}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
package="$out/orbicap_${version}_${arch}.deb"
test -f "$package" || { echo "CPack made no $package" >&2; exit 1; }
echo "$package"
