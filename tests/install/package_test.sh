#!/usr/bin/env bash
# Makes the Debian package with CPack from a built tree, into a temporary folder, and checks it:
# its file name, that lintian finds no error in it, its run-time dependencies, and that it holds
# the launchers, programs, menu entries, icons, manual pages and shared game folder.
#
#   package_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2

work=$(mktemp -d /tmp/varnel-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

arch=$(dpkg --print-architecture)
if ! "${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack failed" >&2
    exit 1
fi
deb=$work/varnels-mahjong_${version}_${arch}.deb
if [[ ! -f "$deb" ]]; then
    echo "FAIL: no $(basename "$deb"); cpack made: $(ls "$work")" >&2
    exit 1
fi

# lintian: errors fail the test; warnings and notes are shown.
lintian --info --display-level '>=warning' "$deb" >"$work/lintian.log" 2>&1
cat "$work/lintian.log"
if grep -q '^E: ' "$work/lintian.log"; then
    fail "lintian found errors"
fi

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for package in libqt6widgets6 libqt6gui6 libsdl2-mixer-2.0-0 libjpeg62-turbo timgm6mb-soundfont \
    qt6-qpa-plugins libc6; do
    [[ ",$depends," =~ [,\ ]$package[\ ,\(] ]] || fail "the package does not depend on $package"
done
[[ "$(dpkg-deb --field "$deb" Section)" == games ]] || fail "the section is not games"
[[ "$(dpkg-deb --field "$deb" Version)" == "$version" ]] || fail "the version is not $version"

dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for file in /usr/games/varnels-mahjong-2d /usr/libexec/varnels-mahjong/board2d \
    /usr/libexec/varnels-mahjong/prepare-game-folder /usr/share/applications/varnels-mahjong-2d.desktop \
    /usr/share/icons/hicolor/16x16/apps/varnels-mahjong.png \
    /usr/share/icons/hicolor/512x512/apps/varnels-mahjong.png \
    /usr/share/man/man6/varnels-mahjong-2d.6.gz /usr/share/varnels-mahjong/LAYOUTS/Default.tvl \
    /usr/share/varnels-mahjong/LANGUAGE/English.txt /usr/share/doc/varnels-mahjong/copyright \
    /usr/share/doc/varnels-mahjong/changelog.gz; do
    grep -qx "$file" "$work/contents" || fail "the package lacks $file"
done
grep -q '^/usr/share/metainfo/.*\.metainfo\.xml$' "$work/contents" || fail "the package lacks the metainfo"
grep -q '\.keep$' "$work/contents" && fail "the package holds .keep markers"
# Each program in the package has its launcher, menu entry and manual page.
for program in $(grep '^/usr/libexec/varnels-mahjong/board' "$work/contents"); do
    case $(basename "$program") in
    board2d) launcher=varnels-mahjong-2d ;;
    board3d_gl) launcher=varnels-mahjong-3d ;;
    board3d_d3d) launcher=varnels-mahjong-3d-software ;;
    *) fail "unknown program $program"; continue ;;
    esac
    for file in "/usr/games/$launcher" "/usr/share/applications/$launcher.desktop" \
        "/usr/share/man/man6/$launcher.6.gz"; do
        grep -qx "$file" "$work/contents" || fail "the package lacks $file for $program"
    done
done

[[ $failures -eq 0 ]] || exit 1
echo "$(basename "$deb") passed"
