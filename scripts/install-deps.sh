#!/usr/bin/env bash
# Installs the Debian packages Mouthkey needs to build, run and test, and only those that are missing.
# Usage: scripts/install-deps.sh [build|test]   (default: build)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_pkgs=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev fonts-dejavu-core
  qt6-multimedia-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good  # playing a take's sound
  dpkg-dev  # cpack -G DEB computes the package dependencies with it
  libpocketsphinx-dev libsndfile1-dev libsoxr-dev  # timing a take from its sound
  pocketsphinx-en-us  # the English speech model, recommended by the packages
)
test_pkgs=(
  libgtest-dev libbenchmark-dev
  xvfb xdotool xclip
  clang libclang-rt-14-dev
  desktop-file-utils file
  lintian appstream  # package and metadata checks
  shared-mime-info xdg-utils libglib2.0-bin  # the file type check (xdg-mime asks gio)
  weston wl-clipboard qt6-wayland  # the Wayland end-to-end test
  gawk mawk time
  espeak-ng libespeak-ng-dev  # spoken takes with known timing, for the speech tests and benchmark
)

wanted=("${build_pkgs[@]}")
if [ "${1:-build}" = test ]; then
  wanted+=("${test_pkgs[@]}")
fi

install_missing "${wanted[@]}"
