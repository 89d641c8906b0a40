#!/usr/bin/env bash
# Starts Varnel's mah-jong (board2d) on a Debian machine: installs the missing Debian packages,
# builds the game, prepares the player's own game folder and starts the game there.
#
# The game folder is ${VARNEL_HOME:-~/.local/share/varnels-mahjong}. The first run copies the whole
# shipped folder; later runs refresh the shipped files but never touch the player's settings
# (TAVX2D.INI, TAVX3D.INI), hall-of-fame files (SCORES/) or saved games (SAVEGAME/).
# Give a program name to start another edition: ./play.sh board3d_gl
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
program=${1:-board2d}

tools/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if ! cmake --build "$build" --parallel --target "$program"; then
    echo "The program $program could not be built." >&2
    exit 1
fi

home=${VARNEL_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/varnels-mahjong}
mkdir -p "$home"
# Shipped files are refreshed; the player's own scores, saved games and settings stay.
(cd data && find . -type f ! -name .keep ! -path './SCORES/*' ! -path './SAVEGAME/*' -print0) |
    while IFS= read -r -d '' f; do
        mkdir -p "$home/$(dirname "$f")"
        cp -p "data/$f" "$home/$f"
    done
for d in TILESETS LANGUAGE LAYOUTS SOUNDS SCORES SAVEGAME BACKGRND; do mkdir -p "$home/$d"; done

cd "$home"
exec "$root/$build/bin/$program"
