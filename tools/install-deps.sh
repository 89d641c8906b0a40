#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, test and run, when any is missing.
# Non-interactive, so it works in CI; uses sudo only when not already root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libqt6opengl6-dev libgl-dev
    # Qt's own buttons and dialogs (file and colour choosers) in the player's language.
    qt6-translations-l10n
    libsdl2-mixer-dev timgm6mb-soundfont
    libjpeg62-turbo-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth libgl1-mesa-dri x11-utils xdotool
    # Installing and packaging (cmake/install.cmake) and their checks: CPack's Debian package
    # reads the programs' libraries with dpkg-shlibdeps and file; the tests validate the menu
    # entries, the software-centre description and the package.
    dpkg-dev file desktop-file-utils appstream lintian
)
# The libFuzzer programs of fuzz/ (tools/fuzz.sh) are built with clang.
if [[ "${WITH_FUZZ:-0}" == 1 ]]; then
    packages+=(clang libclang-rt-14-dev)
fi
# Asset generators in tools/ only; the generated files are committed, so building never needs them.
if [[ "${WITH_ASSET_TOOLS:-0}" == 1 ]]; then
    packages+=(python3-pil fonts-noto-cjk fonts-dejavu-core imagemagick fluidsynth)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
