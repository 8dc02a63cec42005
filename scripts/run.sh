#!/usr/bin/env bash
# Installs what is missing, builds, and opens Velmora's window on the sample
# Mac volume. The volume is copied to a scratch folder first, so the shipped
# sample is never modified. Without a display the merged Services menu is
# printed instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmora-volume.XXXXXX")
cp -a examples/. "$scratch/"
echo "Sample volume copied to $scratch"
home="$scratch/Users/$(ls "$scratch/Users" 2>/dev/null | head -n 1)"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/Velmora.app/Contents/MacOS/Velmora --root "$scratch" --home "$home"
fi
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): showing the menu with velmoractl instead."
exec build/bin/velmoractl --root "$scratch" --home "$home" menu
