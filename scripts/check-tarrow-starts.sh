#!/usr/bin/env bash
# Starts the built tarrow program on a virtual X display (xvfb-run) with a
# private home and settings folder, waits until its main window is mapped,
# keeps a screenshot of that window and ends the program again.
#
#   scripts/check-tarrow-starts.sh [BUILD_DIR] [SCREENSHOT]
#
# BUILD_DIR defaults to the repository's build/, SCREENSHOT to
# BUILD_DIR/artifacts/tarrow-main.png (a screenshot of the whole screen is
# kept beside it as tarrow-screen.png).
# Exit status 0 when the window appeared and the screenshot shows more than a
# blank area; 1 with a reason otherwise.
set -euo pipefail

readonly kWindowTitlePrefix="Velmora3"
readonly kStartTimeoutSeconds=30
readonly kPaintSettleSeconds=2
readonly kMinimumColours=16
readonly kScreen="1280x1024x24"

fail() {
    echo "check-tarrow-starts: $*" >&2
    exit 1
}

# --- Inside the virtual display: start, wait for the window, grab, stop. ---
inside_display() {
    local program=$1 screenshot=$2 log=$3
    local screen_shot="${screenshot%/*}/tarrow-screen.png"

    "$program" >"$log" 2>&1 &
    tarrow_pid=$!
    trap 'kill "$tarrow_pid" 2>/dev/null || true' EXIT

    local window="" waited=0
    while [ -z "$window" ]; do
        if ! kill -0 "$tarrow_pid" 2>/dev/null; then
            wait "$tarrow_pid" && status=0 || status=$?
            cat "$log" >&2
            fail "tarrow ended (status $status) before its main window appeared"
        fi
        if [ "$waited" -ge $((kStartTimeoutSeconds * 10)) ]; then
            fail "no mapped window titled ${kWindowTitlePrefix}... after ${kStartTimeoutSeconds} s"
        fi
        window=$(find_main_window)
        if [ -z "$window" ]; then
            sleep 0.1
            waited=$((waited + 1))
        fi
    done
    echo "check-tarrow-starts: main window $window mapped after $((waited / 10)).$((waited % 10)) s"

    sleep "$kPaintSettleSeconds"
    kill -0 "$tarrow_pid" 2>/dev/null || fail "tarrow ended right after showing its window"
    # A message box carries the same title: a second window means the
    # program complained at start-up (an engine that is not registered).
    local shown
    shown=$(viewable_windows | wc -l)
    [ "$shown" -eq 1 ] || import -window root "$screen_shot" || true
    [ "$shown" -eq 1 ] || fail "$shown windows titled ${kWindowTitlePrefix}... are open" \
        "(a message at start-up?)"
    import -window "$window" "$screenshot" || fail "could not grab window $window"
    import -window root "$screen_shot" || fail "could not grab the screen"

    local colours
    colours=$(identify -format '%k' "$screenshot")
    [ "$colours" -ge "$kMinimumColours" ] ||
        fail "the window grab has only $colours colours: nothing was drawn"
    echo "check-tarrow-starts: screenshot $screenshot ($(identify -format '%wx%h' \
        "$screenshot"), $colours colours)"

    kill "$tarrow_pid"
    wait "$tarrow_pid" 2>/dev/null || true
    trap - EXIT
}

# The ids of the viewable top-level windows whose title starts with the
# application's title, one a line, in stacking order (bottom first).
viewable_windows() {
    local id
    for id in $(xwininfo -root -children 2>/dev/null |
        awk -v prefix="\"$kWindowTitlePrefix" 'index($2, prefix) == 1 { print $1 }'); do
        if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
            echo "$id"
        fi
    done
}

# The first such window (the main window maps first), or nothing.
find_main_window() {
    local ids
    ids=$(viewable_windows)
    echo "${ids%%$'\n'*}"
}

if [ "${1:-}" = "--inside-display" ]; then
    shift
    inside_display "$@"
    exit 0
fi

# --- Outside: check the tools and the build, prepare a private home. ---
self=$(realpath "$0")
build=$(realpath "${1:-$(dirname "$self")/../build}")
screenshot=${2:-$build/artifacts/tarrow-main.png}
program=$build/bin/tarrow

for tool in xvfb-run xauth xwininfo import identify fc-list; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
[ -x "$program" ] || fail "$program is not built"
[ -x "$build/bin/strovik-regsvr" ] || fail "$build/bin/strovik-regsvr is not built"
[ -f "$build/bin/libstrovik.so" ] || fail "$build/bin/libstrovik.so is not built"
[ -n "$(fc-list :lang=ja family)" ] || fail "no Japanese font is installed (fonts-noto-cjk)"

mkdir -p "$(dirname "$screenshot")"
screenshot=$(realpath "$screenshot")
rm -f "$screenshot"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tarrow-start.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/Documents" "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/runtime
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY

# The program creates the engine by its class id at start-up, so the engine
# of this build is registered in the private settings folder first.
"$build/bin/strovik-regsvr" "$build/bin/libstrovik.so" >/dev/null ||
    fail "could not register $build/bin/libstrovik.so"

# -noreset: by default the server resets each time its last client leaves,
# and a program connecting during that reset (while the checks poll the
# window list) fails with "could not connect to display".
xvfb-run -a -s "-screen 0 $kScreen -noreset" \
    bash "$self" --inside-display "$program" "$screenshot" "$scratch/tarrow.log"
[ -s "$screenshot" ] || fail "no screenshot was written"
