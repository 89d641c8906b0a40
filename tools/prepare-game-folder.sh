#!/bin/sh
# Prepares the player's own game folder from the shipped one and starts a program of Varnel's
# mah-jong inside it: the game reads and writes everything in the folder it is started in.
#
#   prepare-game-folder.sh SHIPPED_FOLDER PROGRAM
#
# The game folder is $VARNEL_HOME when set, else $XDG_DATA_HOME/varnels-mahjong, else
# ~/.local/share/varnels-mahjong. The first run copies the whole shipped folder; later runs refresh
# the shipped files (a new release's layouts, pictures, sounds and texts) but never touch the
# player's settings (TAVX2D.INI, TAVX3D.INI), hall-of-fame files (SCORES/), saved games
# (SAVEGAME/) or files the player added. ./play.sh and the installed launchers both run this.
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 SHIPPED_FOLDER PROGRAM" >&2
    exit 2
fi
shipped=$1
program=$2

if [ ! -d "$shipped/LANGUAGE" ]; then
    echo "$0: $shipped is not a game folder of Varnel's mah-jong" >&2
    exit 1
fi
if [ ! -x "$program" ]; then
    echo "$0: no program $program" >&2
    exit 1
fi

if [ -n "${VARNEL_HOME:-}" ]; then
    home=$VARNEL_HOME
else
    if [ -z "${HOME:-}" ] && [ -z "${XDG_DATA_HOME:-}" ]; then
        echo "$0: neither HOME nor XDG_DATA_HOME is set, so there is no place for the game folder" >&2
        exit 1
    fi
    home=${XDG_DATA_HOME:-$HOME/.local/share}/varnels-mahjong
fi

if ! mkdir -p "$home"; then
    echo "$0: cannot make the game folder $home" >&2
    exit 1
fi

# Shipped files are refreshed; the player's own scores, saved games and settings stay. Shipped
# files arrive read-only from a system folder, so each copy takes the player's usual rights.
(cd "$shipped" && find . -type f ! -name .keep ! -path './SCORES/*' ! -path './SAVEGAME/*' \
    ! -name TAVX2D.INI ! -name TAVX3D.INI) |
    while IFS= read -r file; do
        target=$home/$file
        mkdir -p "$(dirname "$target")"
        if ! cmp -s "$shipped/$file" "$target"; then
            rm -f "$target"
            cp "$shipped/$file" "$target"
        fi
    done
for folder in TILESETS LANGUAGE LAYOUTS SOUNDS SCORES SAVEGAME BACKGRND; do
    mkdir -p "$home/$folder"
done

cd "$home"
exec "$program"
