#!/usr/bin/env bash
# setup.sh - installs what building and testing need (as root, from Debian's packages) and builds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${QORIN_BUILD_DIR:-$ROOT/build}"

source "$ROOT/scripts/packages.sh"
source "$ROOT/scripts/steps.sh"
# tests/octave/test_acquisition_tiff_readers.m reads recordings with tifffile and with ImageJ
# headless (xvfb-run, which needs xauth).  tests/octave/test_matlab_qorin_viewer.m draws the
# viewer's figure under Xvfb: Octave renders a figure's text with FreeFont (without it no axes
# can be made), and xwd dumps the window for the README's picture of it.
qorin_require_packages setup g++ "${QORIN_BUILD_PACKAGES[@]}" pkg-config libgtest-dev libgmock-dev \
  libbenchmark-dev octave liboctave-dev libtiff-tools python3-tifffile imagej xvfb xauth \
  fonts-freefont-otf x11-apps || exit 1

qorin_cmake_configure "$BUILD_DIR" -S "$ROOT" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
