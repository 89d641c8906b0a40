#!/bin/sh
# The preparation of the player's game folder, with a stand-in program that records the folder it
# was started in: where the folder goes (VARNEL_HOME, XDG_DATA_HOME, HOME), that the first start
# copies the shipped folder, that later starts refresh shipped files and leave the player's
# settings, scores, saved games and own files alone, and the refusals.
#
#   prepare_game_folder_test.sh PREPARE_SCRIPT SHIPPED_FOLDER
set -u
prepare=$1
shipped_source=$2

work=$(mktemp -d /tmp/varnel-prepare-XXXXXX)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A read-only shipped folder, as installed, holding what a developer's data/ may hold after
# playing in it: scores, a saved game and a marker file, none of which is the player's.
shipped=$work/shipped
cp -R "$shipped_source" "$shipped"
printf 'shipped scores' >"$shipped/SCORES/Default.tvs"
printf 'shipped saved game' >"$shipped/SAVEGAME/Shipped.tvm"
: >"$shipped/LAYOUTS/.keep"
chmod -R a-w "$shipped"

# The stand-in program records its working folder and the settings file it found there, then
# plays the game's part: it writes the settings file as a closing game does.
program=$work/program
cat >"$program" <<'EOF'
#!/bin/sh
pwd >"$RECORD"
cat TAVX2D.INI >"$RECORD.ini" 2>/dev/null
printf 'settings of the player\r\n' >TAVX2D.INI
EOF
chmod +x "$program"
export RECORD="$work/record"

# Runs the preparation with a clean environment plus the given assignments.
run() {
    rm -f "$RECORD" "$RECORD.ini"
    env -i PATH="$PATH" RECORD="$RECORD" "$@" "$prepare" "$shipped" "$program" \
        >"$work/out" 2>&1
}

# -- where the game folder goes: name, environment, expected folder
for case in \
    "home|HOME=$work/h1|$work/h1/.local/share/varnels-mahjong" \
    "xdg|HOME=$work/h2 XDG_DATA_HOME=$work/xdg|$work/xdg/varnels-mahjong" \
    "varnel-home|HOME=$work/h3 XDG_DATA_HOME=$work/xdg3 VARNEL_HOME=$work/own|$work/own" \
    "xdg-without-home|XDG_DATA_HOME=$work/xdg4|$work/xdg4/varnels-mahjong"; do
    name=${case%%|*}
    rest=${case#*|}
    environment=${rest%%|*}
    expected=${rest#*|}
    # shellcheck disable=SC2086
    if ! run $environment; then
        fail "$name: the preparation failed: $(cat "$work/out")"
        continue
    fi
    [ "$(cat "$RECORD" 2>/dev/null)" = "$expected" ] ||
        fail "$name: started in '$(cat "$RECORD" 2>/dev/null)', not in '$expected'"
    for folder in TILESETS LANGUAGE LAYOUTS SOUNDS SCORES SAVEGAME BACKGRND; do
        [ -d "$expected/$folder" ] || fail "$name: no folder $folder"
    done
    # Every shipped file arrived, unchanged and writable by the player.
    (cd "$shipped" && find . -type f ! -name .keep ! -path './SCORES/*' ! -path './SAVEGAME/*') |
        while IFS= read -r file; do
            cmp -s "$shipped/$file" "$expected/$file" || echo "$file" >>"$work/missing-$name"
            [ -w "$expected/$file" ] || echo "$file read-only" >>"$work/missing-$name"
        done
    [ -s "$work/missing-$name" ] && fail "$name: shipped files not copied: $(cat "$work/missing-$name")"
    for unwanted in SCORES/.keep LAYOUTS/.keep SCORES/Default.tvs SAVEGAME/Shipped.tvm; do
        [ -e "$expected/$unwanted" ] && fail "$name: $unwanted was copied"
    done
done

# -- a later start: the player's files stay, shipped files are refreshed
game=$work/h1/.local/share/varnels-mahjong
printf 'a hall of fame' >"$game/SCORES/Default.tvs"
printf 'a saved game' >"$game/SAVEGAME/Mine.tvm"
printf '1 2 0\n' >"$game/LAYOUTS/Own.tvl"
printf 'three-d settings' >"$game/TAVX3D.INI"
printf 'damaged' >"$game/LAYOUTS/Default.tvl"
chmod a-w "$game/LANGUAGE/English.txt"
printf 'old text' >"$game/LANGUAGE/Deutsch.txt"
rm "$game/TILESETS/Classic.bmp"
if run HOME="$work/h1"; then
    for kept in "SCORES/Default.tvs|a hall of fame" "SAVEGAME/Mine.tvm|a saved game" \
        "TAVX3D.INI|three-d settings"; do
        file=${kept%%|*}
        [ "$(cat "$game/$file")" = "${kept#*|}" ] || fail "second start changed $file"
    done
    [ -f "$game/LAYOUTS/Own.tvl" ] || fail "second start removed the player's own layout"
    for refreshed in LAYOUTS/Default.tvl LANGUAGE/Deutsch.txt TILESETS/Classic.bmp; do
        cmp -s "$shipped/$refreshed" "$game/$refreshed" || fail "second start did not refresh $refreshed"
    done
    # The second start found the settings the first one wrote.
    [ "$(cat "$RECORD.ini")" = "$(printf 'settings of the player\r')" ] ||
        fail "the settings file changed between the starts"
else
    fail "second start failed: $(cat "$work/out")"
fi

# -- a shipped folder that holds settings (a developer's data/ after playing in it) never
# overwrites the player's
chmod u+w "$shipped"
printf 'shipped settings' >"$shipped/TAVX2D.INI"
printf 'my settings' >"$game/TAVX2D.INI"
run HOME="$work/h1" || fail "start with shipped settings failed: $(cat "$work/out")"
[ "$(cat "$RECORD.ini")" = "my settings" ] || fail "a shipped settings file reached the player's folder"
rm -f "$shipped/TAVX2D.INI"
chmod u-w "$shipped"

# -- refusals: the message names the problem, the program is not started
for case in \
    "no-home|XDG_DATA_HOME=|no place for the game folder" \
    "not-a-game-folder|HOME=$work/h5 SHIPPED=$work|not a game folder" \
    "no-program|HOME=$work/h6 PROGRAM=$work/none|no program" \
    "unwritable|HOME=$work/plain-file|cannot make the game folder"; do
    name=${case%%|*}
    rest=${case#*|}
    environment=${rest%%|*}
    message=${rest#*|}
    # A file where the game folder's parent should be: no one can make the folder there.
    : >"$work/plain-file"
    from=$shipped
    to=$program
    assignments=""
    for assignment in $environment; do
        case $assignment in
        SHIPPED=*) from=${assignment#SHIPPED=} ;;
        PROGRAM=*) to=${assignment#PROGRAM=} ;;
        *) assignments="$assignments $assignment" ;;
        esac
    done
    rm -f "$RECORD"
    # shellcheck disable=SC2086
    if env -i PATH="$PATH" RECORD="$RECORD" $assignments "$prepare" "$from" "$to" \
        >"$work/out" 2>&1; then
        fail "$name: the preparation succeeded"
    fi
    grep -q "$message" "$work/out" || fail "$name: the message '$(cat "$work/out")' lacks '$message'"
    [ -e "$RECORD" ] && fail "$name: the program was started"
done

# -- usage
"$prepare" >"$work/out" 2>&1 && fail "no arguments: the preparation succeeded"
grep -q usage "$work/out" || fail "no arguments: no usage line"

if [ "$failures" -ne 0 ]; then
    echo "$failures failures" >&2
    exit 1
fi
echo "all cases passed"
