#!/usr/bin/env bash
# Installs what is missing, builds, and shows the merged Services menu of the
# sample Mac volume. The volume is copied to a scratch folder first, so the
# shipped sample is never modified.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmora-volume.XXXXXX")
cp -a examples/. "$scratch/"
echo "Sample volume copied to $scratch"
home="$scratch/Users/$(ls "$scratch/Users" 2>/dev/null | head -n 1)"
exec build/bin/velmoractl --root "$scratch" --home "$home" menu
