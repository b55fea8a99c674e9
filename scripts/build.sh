#!/usr/bin/env bash
# Configures and builds one build folder. Usage: scripts/build.sh DIR BUILD_TYPE [cmake -D...]
set -euo pipefail
dir=$1
type=$2
shift 2
cd "$(dirname "$0")/.."
# Paths inside the checkout reach the compiler cache relative to it, so that a second checkout
# elsewhere (a clean one for a CI run, a work tree) reuses what the first compiled. A build with
# debug information would otherwise put the build folder's absolute path into every key.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
else
  cmake -S . -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
