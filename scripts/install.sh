#!/usr/bin/env bash
# scripts/install.sh [PREFIX]: builds a Release tree and installs Velmora.app
# below PREFIX (default /usr, so that polkit finds TidyWorker's action in
# /usr/share/polkit-1/actions), through sudo when not run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-/usr}
scripts/install-deps.sh
dir=build-install
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target Velmora TidyWorker
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" cmake --install "$dir"
