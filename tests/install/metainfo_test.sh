#!/bin/sh
# The software-centre description the build made: valid for AppStream (no network look-ups), its
# newest release is the project's version, and each program it launches has a menu entry.
#
#   metainfo_test.sh METAINFO_FILE VERSION DESKTOP_FOLDER
set -u
metainfo=$1
version=$2
desktop=$3
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli refused $metainfo"

newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] ||
    fail "the newest release is '$newest', not the project's version $version (see CHANGELOG.md)"

launchables=$(sed -n 's/.*<launchable type="desktop-id">\([^<]*\)<.*/\1/p' "$metainfo")
[ -n "$launchables" ] || fail "no program to launch"
for entry in $launchables; do
    [ -f "$desktop/$entry" ] || fail "no menu entry $entry"
    binary=${entry%.desktop}
    grep -q "<binary>$binary</binary>" "$metainfo" || fail "the launcher $binary is not provided"
done
grep -q '<content_rating type="oars-1.1"' "$metainfo" || fail "no content rating"

[ "$failures" -eq 0 ] || exit 1
echo "metainfo of $version passed"
