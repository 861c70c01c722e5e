#!/usr/bin/env bash
# Sets everything up: installs what is missing, builds the optimised
# programs, installs them on the PATH and runs the demo.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
prefix="${OSTREL_PREFIX:-/usr/local}"
if [[ $(id -u) -ne 0 && ! -w "$prefix" ]]; then
  sudo cmake --install build/release --prefix "$prefix"
else
  cmake --install build/release --prefix "$prefix"
fi
scripts/demo.sh
