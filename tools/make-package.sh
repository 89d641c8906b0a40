#!/usr/bin/env bash
# Makes the Debian package of Varnel's mah-jong on a Debian machine: installs the missing Debian
# packages, builds the programs and runs CPack. Prints the package's path, for example
# build/varnels-mahjong_2.4.2_amd64.deb; install it with `sudo apt install ./build/...deb`.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only what the package holds, not the tests and benchmarks.
cmake --build "$build" --parallel --target game_programs
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/varnels-mahjong_${version}_$(dpkg --print-architecture).deb
[[ -f "$deb" ]] || { echo "CPack made no $deb" >&2; exit 1; }
echo "$deb"
