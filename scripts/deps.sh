#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run Tarvello.
# Does nothing when everything is there already. The packages' part: dpkg-dev, file (the Debian
# package's library dependencies), lintian, appstream, desktop-file-utils (its checks), help2man
# (the manual pages), nsis (the Windows installer's dry run), librsvg2-bin and icoutils
# (scripts/icons.sh), clang-tidy (scripts/sizes.sh), ccache (rebuilds), postgresql (the plant
# database's tests start a throw-away server), libqt6sql6-psql (its Qt SQL driver) and
# poppler-utils (pdftotext reads the records' PDF reports in the tests).
set -euo pipefail
packages=(
  cmake g++ make clang libclang-rt-14-dev
  qt6-base-dev qt6-serialport-dev qt6-multimedia-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  qt6-l10n-tools qt6-tools-dev
  libgtest-dev libgmock-dev
  fonts-arphic-ukai fonts-arphic-uming
  xvfb xauth
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix googletest
  wine wine64
  dpkg-dev file lintian appstream desktop-file-utils help2man nsis
  librsvg2-bin icoutils
  clang-tidy
  ccache
  postgresql libqt6sql6-psql
  poppler-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
