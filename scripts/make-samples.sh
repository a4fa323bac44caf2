#!/usr/bin/env bash
# Regenerates the bundled sample batch in samples/ (definition, six JPEG
# sheets at 200 dpi and their ground truth) with velmora-sheetgen.
# Usage: scripts/make-samples.sh [BUILD_DIR]   (default: build)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
sheetgen="$build/bin/velmora-sheetgen"
if [ ! -x "$sheetgen" ]; then
    echo "make-samples: $sheetgen not found; build the velmora-sheetgen target first" >&2
    exit 1
fi

rm -rf "$root/samples/images" "$root/samples/truth" "$root/samples/sheet.ini"
"$sheetgen" --out "$root/samples" --count 6 --dpi 200 --questions 30 --choices 5 --areas 1 \
    --multi 29 --format jpeg --quality 75 --seed 2026 --jitter-every 0 \
    --distort 2=0,0,0,flip --distort 3=30,-12,0 --distort 4=0,0,0.35 --noise 1.5
