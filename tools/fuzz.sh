#!/usr/bin/env bash
# Fuzzes one reader of the game's files for a while: tools/fuzz.sh TARGET MINUTES
# TARGET is one of layout bmp tga jpeg saved_game hall_of_fame settings language midi. Builds the
# libFuzzer programs with clang in build-fuzz (FUZZ=ON), then runs the target on one worker,
# starting from its seed corpus and its regression files. New interesting inputs go to
# build-fuzz/fuzz-corpus/TARGET (the seed corpus in the tree stays small); a crash, hang or leak
# is written to build-fuzz/fuzz-findings/TARGET: fix it, then keep the file as a regression in
# fuzz/regressions/TARGET/. Prints the executions and the coverage reached.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:?usage: tools/fuzz.sh TARGET MINUTES}
minutes=${2:?usage: tools/fuzz.sh TARGET MINUTES}
build=${FUZZ_BUILD_DIR:-build-fuzz}

if [[ ! -d fuzz/corpus/$target ]]; then
    echo "no fuzz target $target (see fuzz/corpus/)" >&2
    exit 2
fi

WITH_FUZZ=1 tools/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DFUZZ=ON -DBUILD_SHELL=OFF \
    -DBUILD_BENCHMARKS=OFF > /dev/null
cmake --build "$build" --target "fuzz_$target" -j2

# Largest input tried: a saved game is 11534 bytes and a layout or language file a few kB; the
# pictures get room for a small tile set.
case $target in
    bmp | tga | jpeg) max_len=65536 ;;
    saved_game) max_len=11534 ;;
    *) max_len=16384 ;;
esac

work="$build/fuzz-corpus/$target"
findings="$build/fuzz-findings/$target"
mkdir -p "$work" "$findings"
seeds=(fuzz/corpus/"$target")
[[ -d fuzz/regressions/$target ]] && seeds+=(fuzz/regressions/"$target")
log="$build/fuzz-$target.log"

# One worker: the machine is shared. A run slower than 10 s is a hang, more than 2 GB a leak or
# a runaway allocation; both are findings like a crash.
set +e
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/fuzz_$target" "$work" "${seeds[@]}" \
    -max_total_time=$((minutes * 60)) -timeout=10 -rss_limit_mb=2048 \
    -max_len=$max_len -workers=1 -print_final_stats=1 \
    -artifact_prefix="$findings/" > "$log" 2>&1
status=$?
set -e

# The last status line holds the coverage ("cov:") and features ("ft:"); the final statistics the
# executions.
grep -E '^#[0-9]+' "$log" | tail -1 || true
grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb' "$log" || true
if [[ $status -ne 0 ]]; then
    echo "fuzz_$target stopped with a finding (status $status): see $log and $findings/" >&2
    grep -E 'ERROR|SUMMARY|check failed|Test unit written' "$log" | head -5 >&2 || true
fi
exit $status
