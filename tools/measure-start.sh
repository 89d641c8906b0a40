#!/bin/bash
# Measures how fast board2d starts and how much memory it holds: the time from launch to the
# main window's first appearance on a virtual display (Xvfb through xvfb-run), and the resident
# memory 2 s after launch. Each figure is the median of several runs; --breakdown also shows where
# the memory of the last run goes.
#
#   tools/measure-start.sh [--runs N] [--screen WxH] [--breakdown] [--bare] [PROGRAM]
#
# PROGRAM defaults to build/bin/board2d. --bare measures build/bench/shell/bare_window instead:
# a main window of the same shape with nothing in it, what Qt and the window's image alone take. Every run starts in a fresh copy of the shipped game
# folder with a settings file naming the shipped choices a first run makes (language, layout,
# tile set, background, sounds, music), so no first-run dialog is shown; the window takes its
# default size (the screen's, 1920 x 1080 unless --screen says otherwise) and the music plays
# when the machine has an audio device. Needs xvfb-run and xdotool
# (tools/install-deps.sh installs both).
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
runs=7
screen=1920x1080
breakdown=0
program=$here/build/bin/board2d
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --screen) screen=$2; shift 2 ;;
        --breakdown) breakdown=1; shift ;;
        --bare) program=$here/build/bench/shell/bare_window; shift ;;
        --inside) shift; break ;;
        -h|--help) sed -n 2,15p "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) program=$1; shift ;;
    esac
done

# The window to wait for: the game's main window, or the bare one's.
title="mah-jong.* 2D"
[ "$(basename "$program")" = bare_window ] && title="bare Qt window"
name=$(basename "$program")

# The outer call starts one virtual display and runs the measurements inside it.
if [ -z "${MEASURE_START_INSIDE:-}" ]; then
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
    done
    [ -x "$program" ] || { echo "$0: no program $program (build it first)" >&2; exit 1; }
    program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
    args=(--runs "$runs")
    [ "$breakdown" = 1 ] && args+=(--breakdown)
    # A display number of its own, away from those other programs' tests take.
    exec env MEASURE_START_INSIDE=1 xvfb-run -a -n $((200 + RANDOM % 500)) -s "-screen 0 ${screen}x24 -noreset" \
        "$0" "${args[@]}" "$program"
fi

work=$(mktemp -d /tmp/measure-start-XXXXXX)
game_pid=
cleanup() {
    if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

now_ns() { date +%s%N; }

# The main window's id once it is mapped with its real size, else nothing. The splash has a
# window name of its own, and Qt's 1 x 1 helper windows are not the main window.
main_window() {
    local id
    for id in $(xdotool search --onlyvisible --name "$title" 2>/dev/null); do
        if ! xdotool getwindowgeometry "$id" 2>/dev/null | grep -q 'Geometry: 1x1$'; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

# Resident kilobytes of a process, and its breakdown by kind of mapping.
resident_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
show_breakdown() {
    awk '
        /^[0-9a-f]+-[0-9a-f]+ / {
            name = $6
            if (name == "") kind = "anonymous (malloc arenas, thread stacks, Qt and SDL heaps)"
            else if (name == "[heap]") kind = "main heap (brk)"
            else if (name ~ /^\[stack/) kind = "main stack"
            else if (name ~ /SYSV|shm|memfd/) kind = "shared memory (X images)"
            else if (name ~ /\.so/) kind = "libraries"
            else if (name ~ /^\[/) kind = "kernel ([vdso], [vvar])"
            else kind = "other files (fonts, caches, data)"
            next
        }
        /^Rss:/ { sum[kind] += $2; total += $2 }
        END {
            for (k in sum) printf "  %8.1f MB  %s\n", sum[k] / 1024, k
            printf "  %8.1f MB  in all\n", total / 1024
        }' "/proc/$1/smaps" | sort -rn
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

starts=()
memories=()
for ((run = 1; run <= runs; run++)); do
    folder=$work/game$run
    cp -r "$here/data" "$folder"
    printf '%s\r\n' 'Language = "English.txt"' 'Layout = "Default.tvl"' \
        'TileSet = "Standard.jpg"' 'Background = "Mountain.jpg"' 'Sound1 = "Select.wav"' \
        'Sound2 = "Remove.wav"' 'Sound3 = "Beside.wav"' 'Music = "Tune478.mid"' \
        >"$folder/TAVX2D.INI"
    start=$(now_ns)
    (cd "$folder" && exec "$program") >"$work/log$run" 2>&1 &
    game_pid=$!
    shown=
    while [ -z "$shown" ]; do
        if main_window >/dev/null; then
            shown=$(now_ns)
            break
        fi
        if ! kill -0 "$game_pid" 2>/dev/null; then
            echo "$0: $name ended before its window showed:" >&2
            cat "$work/log$run" >&2
            exit 1
        fi
        if (($(now_ns) - start > 20000000000)); then
            echo "$0: no main window after 20 s" >&2
            exit 1
        fi
        read -r -t 0.003 <> <(:) || true
    done
    # Resident memory 2 s after launch.
    left=$((2000000000 - ($(now_ns) - start)))
    if ((left > 0)); then
        sleep "$(awk -v ns="$left" 'BEGIN { printf "%.3f", ns / 1e9 }')"
    fi
    memory=$(resident_kb "$game_pid")
    if [ "$breakdown" = 1 ] && [ "$run" = "$runs" ]; then
        echo "where the memory of the last run goes (resident, 2 s after launch):"
        show_breakdown "$game_pid"
    fi
    kill "$game_pid"
    wait "$game_pid" 2>/dev/null || true
    game_pid=
    starts+=("$(((shown - start) / 1000000))")
    memories+=("$memory")
    printf 'run %d: window after %d ms, %.1f MB resident\n' "$run" "${starts[-1]}" \
        "$(echo "$memory" | awk '{ print $1 / 1024 }')"
done

start_ms=$(printf '%s\n' "${starts[@]}" | median)
memory_kb=$(printf '%s\n' "${memories[@]}" | median)
printf '%s, median of %d runs: window after %s ms, %.1f MB resident 2 s after launch\n' \
    "$name" "$runs" "$start_ms" "$(echo "$memory_kb" | awk '{ print $1 / 1024 }')"
