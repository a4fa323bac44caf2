#!/usr/bin/env bash
# Starts the suite from a build: the launcher (pandle) when a display is
# present, otherwise the headless read of the bundled sample batch.
#
#   scripts/start.sh [BUILD_DIR]      (default: build)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/bin/pandle"
fi
echo "start: no display; reading the sample batch instead of opening the launcher" >&2
exec "$build/bin/velmora" read -d "$root/samples/sheet.ini" "$root/samples/images"
