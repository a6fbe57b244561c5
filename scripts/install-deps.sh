#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, and only
# those that are missing, so a second run costs a few dpkg queries.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev ccache pkg-config make
  liblua5.1-0-dev zlib1g-dev libfreetype-dev libsdl2-dev
  libtinygltf-dev nlohmann-json3-dev libstb-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  zip python3 xvfb xauth libgl1-mesa-dri imagemagick fonts-dejavu-core
  libepoxy-dev libgl1-mesa-dev libegl1 libegl-mesa0
  libmpg123-dev fluidsynth timgm6mb-soundfont lame sox
  ffmpeg libavformat-dev libavcodec-dev libswscale-dev libswresample-dev
  blender python3-numpy
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
