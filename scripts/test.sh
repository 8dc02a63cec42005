#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# scripts/test.sh [BUILD_DIR [cmake options...]]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=${1:-build}
shift || true
scripts/build.sh "$dir" "$@"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
