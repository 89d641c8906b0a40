#!/usr/bin/env bash
# Takes the software-centre screenshots from the real board2d on a virtual X display, into
# data-install/screenshots/ (published on the game's website, named in the AppStream metainfo):
#   board2d.png       a new game on the default layout
#   board2d-hint.png  the same game with a hint (F6) marking a pair
# Needs xvfb, xdotool and imagemagick (WITH_ASSET_TOOLS=1 tools/install-deps.sh).
#
#   tools/make_screenshots.sh [BUILD_DIR]      (default: build; board2d must be built there)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
program=$root/$build/bin/board2d
out=$root/data-install/screenshots
[[ -x "$program" ]] || { echo "build board2d first: $program" >&2; exit 1; }

if [[ -z "${VARNEL_SCREENSHOT_DISPLAY:-}" ]]; then
    # The screen of a common laptop; the game sizes its window from it.
    exec env VARNEL_SCREENSHOT_DISPLAY=1 xvfb-run -a -s "-screen 0 1366x768x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/varnel-shots-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -R data "$work/game"
cd "$work/game"
"$program" >"$work/game.log" 2>&1 &
pid=$!

wait_for_window() {
    for ((i = 0; i < 300; i++)); do
        for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
            if ! xdotool getwindowgeometry "$id" | grep -q 'Geometry: 1x1$'; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    echo "no window $1: $(cat "$work/game.log")" >&2
    return 1
}

dialog=$(wait_for_window "^Varnel's mah-jong v.* 2D\$")
xdotool windowfocus --sync "$dialog"
xdotool key Return
main=$(wait_for_window "2D - Default.tvl\$")
xdotool windowfocus --sync "$main"
sleep 1.5
mkdir -p "$out"
import -window "$main" "png:$out/board2d.png"
xdotool key F6
sleep 0.8
import -window "$main" "png:$out/board2d-hint.png"
xdotool key F12
wait "$pid" || true
for shot in board2d board2d-hint; do
    echo "$out/$shot.png $(identify -format '%wx%h' "$out/$shot.png")"
done
