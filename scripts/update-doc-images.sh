#!/bin/bash
# Copies the screenshots the window tests left in BUILD_DIR/artifacts over
# the committed pictures in doc/images that the manual and the README show,
# so the pictures follow the windows. Run the window tests first (for
# example: ctest --test-dir build -L gui), then this, then commit doc/images.
# Pictures no test wrote are left as they are and named on stderr.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
names=$(grep -oh '([a-z0-9/._-]*\.png)' "$root/doc/manual/manual.md" "$root/README.md" |
    tr -d '()' | xargs -n1 basename | sort -u)
status=0
for name in $names; do
    if [ -f "$build/artifacts/$name" ]; then
        cp "$build/artifacts/$name" "$root/doc/images/$name"
        echo "doc/images/$name"
    else
        echo "no $build/artifacts/$name: keeping doc/images/$name" >&2
        status=1
    fi
done
exit $status
