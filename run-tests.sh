#!/usr/bin/env bash
# Runs every test of Varnel's mah-jong on a Debian machine: installs the missing Debian packages,
# checks the formatting, configures and builds everything (programs, tests, benchmarks) with
# warnings as errors, then runs ctest under a virtual X display so the OpenGL and whole-program
# tests have one even without a desktop. Then the Qt-free libraries again: their tests and every
# fuzz corpus and regression file under the address and undefined-behaviour sanitizers, and the
# threaded tests (autoplay, board lock, 2D fade, software-renderer bands) under the thread
# sanitizer. Arguments go to the first ctest (for example -R LayoutFile).
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh
build=${BUILD_DIR:-build}

tools/check-format.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=ON
cmake --build "$build" --parallel
(cd "$build" && xvfb-run -a -s "-screen 0 1920x1200x24" ctest --output-on-failure --timeout 600 "$@")

# The sanitizer builds leave out the shell and the benchmarks: what they check is the game's own
# code below the shell, and building Qt twice more would double the time of the test command.
sanitized=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_SHELL=OFF -DBUILD_BENCHMARKS=OFF)

cmake -S . -B "$build-asan" "${sanitized[@]}" -DSANITIZE=address
cmake --build "$build-asan" --parallel
(cd "$build-asan" &&
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --output-on-failure --timeout 900)

cmake -S . -B "$build-tsan" "${sanitized[@]}" -DSANITIZE=thread
cmake --build "$build-tsan" --parallel --target core_tests test_view2d view3d_d3d8_tests
(cd "$build-tsan" &&
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
        ctest --output-on-failure --timeout 900 \
        -R 'Autoplay|BoardLock|View2DFade|View2DFrames|SoftwareDevice|SoftwareRendererBoard')
