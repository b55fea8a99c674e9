#!/usr/bin/env bash
# Writes pictures of Pelorin into a folder (default: screenshots/ under the build), on a virtual X
# display with the fonts a real one has. Usage: scripts/screenshots.sh [FOLDER [GRID-FONT]]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh fonts-wine xvfb
scripts/build.sh build-asan Debug -DPELORIN_SANITIZE=ON -DBUILD_TESTING=ON
out=${1:-build-asan/screenshots}
mkdir -p "$out"
ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1600x900x24' \
  build-asan/bin/pelorin_screenshots "$out" "${@:2}"
echo "Pictures in $out"
