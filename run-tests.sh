#!/usr/bin/env bash
# Runs every test of Varnel's mah-jong on a Debian machine: installs the missing Debian packages,
# configures and builds everything (programs, tests, benchmarks), then runs ctest under a virtual
# X display so the OpenGL and whole-program tests have one even without a desktop.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel
cd "$build"
xvfb-run -a -s "-screen 0 1920x1200x24" ctest --output-on-failure --timeout 600 "$@"
