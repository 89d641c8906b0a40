#!/usr/bin/env bash
# Installs the game into a temporary folder (DESTDIR) and starts the installed board2d through its
# launcher the way a desktop menu does: working folder $HOME, an empty HOME, no XDG_DATA_HOME.
# The launcher must make the player's game folder, the first-run language choice and then the
# main window must appear, F12 must end the game and write the settings, and a second start must
# run on the settings the first one wrote (here with a layout the player picked).
# Needs an X display (the test runner provides one through Xvfb); exits 77 (skipped) without one.
#
#   install_and_start_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2

if [[ -z "${DISPLAY:-}" ]]; then
    echo "no X display"
    exit 77
fi

work=$(mktemp -d /tmp/varnel-install-XXXXXX)
game_pid=""
cleanup() {
    if [[ -n "$game_pid" ]] && kill -0 "$game_pid" 2>/dev/null; then
        kill "$game_pid"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! DESTDIR="$work/root" "${CMAKE:-cmake}" --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "cmake --install failed"
fi
launcher=$work/root/usr/games/varnels-mahjong-2d
[[ -x "$launcher" ]] || fail "no launcher $launcher"
[[ -f "$work/root/usr/share/varnels-mahjong/LAYOUTS/Default.tvl" ]] || fail "no shared game folder"

home=$work/home
mkdir -p "$home"
game=$home/.local/share/varnels-mahjong
settings=$game/TAVX2D.INI

# The id of the first visible window whose name matches the pattern, waiting up to $2 seconds.
wait_for_window() {
    local pattern=$1 seconds=$2 id
    for ((i = 0; i < seconds * 10; i++)); do
        for id in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
            if ! xdotool getwindowgeometry "$id" | grep -q 'Geometry: 1x1$'; then
                echo "$id"
                return 0
            fi
        done
        if ! kill -0 "$game_pid" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
    return 1
}

# Starts the launcher as the desktop does and sets game_pid.
start_game() {
    (cd "$home" && exec env -u XDG_DATA_HOME -u VARNEL_HOME HOME="$home" "$launcher") \
        >"$work/game.log" 2>&1 &
    game_pid=$!
}

# Ends the game with F12 through its main window and checks it ended well.
end_game() {
    local window=$1 code
    xdotool windowfocus --sync "$window"
    sleep 0.3
    xdotool key F12
    for ((i = 0; i < 150; i++)); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null && fail "F12 did not end the game"
    wait "$game_pid"
    code=$?
    game_pid=""
    [[ $code -eq 0 ]] || fail "the game ended with exit code $code: $(cat "$work/game.log")"
}

# -- first start: the game folder is made, the language choice comes, then the main window
start_game
dialog=$(wait_for_window "^Varnel's mah-jong v$version 2D\$" 30) ||
    fail "no language choice on the first start: $(cat "$work/game.log")"
[[ -f "$game/LAYOUTS/Default.tvl" && -d "$game/SCORES" && -d "$game/SAVEGAME" ]] ||
    fail "the launcher did not make the game folder $game"
[[ "$(readlink "/proc/$game_pid/cwd")" == "$game" ]] ||
    fail "the program runs in $(readlink "/proc/$game_pid/cwd"), not in $game"
[[ -e "$settings" ]] && fail "a settings file exists before the game wrote one"
xdotool windowfocus --sync "$dialog"
xdotool key Return
main=$(wait_for_window "^Varnel's mah-jong v$version 2D - Default.tvl\$" 30) ||
    fail "no main window after the language choice: $(cat "$work/game.log")"
sleep 0.5
end_game "$main"
[[ -f "$settings" ]] || fail "closing the game wrote no settings file"
grep -q 'Language *= "English.txt"' "$settings" || fail "the settings do not name English"

# -- the player picks another layout; a second start must keep the settings
sed -i 's/^Layout *= "Default.tvl"/Layout             = "Pyramid.tvl"/' "$settings"
grep -q 'Layout *= "Pyramid.tvl"' "$settings" || fail "could not change the layout setting"
printf 'a hall of fame' >"$game/SCORES/Pyramid.tvs"
start_game
# No language choice this time: the main window comes straight away, on the player's layout.
main=$(wait_for_window "^Varnel's mah-jong v$version 2D - Pyramid.tvl\$" 30) ||
    fail "the second start did not open the main window on the player's layout: \
$(xdotool search --name "Varnel" getwindowname %@ 2>/dev/null) $(cat "$work/game.log")"
sleep 0.5
end_game "$main"
grep -q 'Layout *= "Pyramid.tvl"' "$settings" || fail "the second start lost the player's layout"
grep -q 'Language *= "English.txt"' "$settings" || fail "the second start lost the language"
[[ "$(cat "$game/SCORES/Pyramid.tvs")" == "a hall of fame" ]] ||
    fail "the second start changed the hall of fame"
echo "installed board2d started twice through its launcher"
