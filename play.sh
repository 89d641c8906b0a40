#!/usr/bin/env bash
# Starts Varnel's mah-jong (board2d) on a Debian machine: installs the missing Debian packages,
# builds the game, prepares the player's own game folder and starts the game there
# (tools/prepare-game-folder.sh, the script the installed launchers run as well).
#
# The game folder is ${VARNEL_HOME:-${XDG_DATA_HOME:-~/.local/share}/varnels-mahjong}. The first
# run copies the whole shipped folder; later runs refresh the shipped files but never touch the
# player's settings (TAVX2D.INI, TAVX3D.INI), hall-of-fame files (SCORES/) or saved games
# (SAVEGAME/).
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

# The same preparation of the game folder as the installed launchers use.
exec tools/prepare-game-folder.sh "$root/data" "$root/$build/bin/$program"
