#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12.
# Idempotent: prints nothing and installs nothing when all is present.
set -euo pipefail

packages=(
  cmake g++ clang libclang-rt-14-dev pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
  libqt6webenginecore6-bin qt6-l10n-tools
  libgl-dev libvulkan-dev libxkbcommon-dev
  libgumbo-dev libtsl-ordered-map-dev libcpp-httplib-dev libssl-dev
  googletest libgtest-dev libgmock-dev nlohmann-json3-dev
  libcurl4-openssl-dev libtag1-dev qcoro-qt6-dev
  fonts-wqy-microhei xvfb xauth curl nginx-light aria2 tinyproxy
  dpkg-dev file clang-format clang-tidy
  mp3val lame ffmpeg mp3gain eyed3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
