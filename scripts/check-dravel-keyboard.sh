#!/usr/bin/env bash
# Drives the built dravel program with the keyboard only, on a virtual X
# display (xvfb-run) with a private home and settings folder: opens a sample
# scan, answers its start-up dialogs with Enter, imports the sample
# definition through "ﾌｧｲﾙ(&F)" → "ﾏｰｸ情報ﾌｧｲﾙをｲﾝﾎﾟｰﾄ(&I)..." with a full path
# typed into the file dialog, and saves it through "名前を付けて保存(&A)..."
# under a typed full path. The saved file must hold the imported marks,
# areas and multi-answer questions.
#
#   scripts/check-dravel-keyboard.sh [BUILD_DIR]
#
# Exit status 0 when it did; 1 with a reason otherwise.
set -euo pipefail

readonly kTimeoutTenths=300
readonly kScreen="1280x1024x24"

fail() {
    echo "check-dravel-keyboard: $*" >&2
    # Inside the display, what the program printed tells why it is missing.
    if [ -n "${log:-}" ] && [ -s "$log" ]; then
        echo "--- the program printed:" >&2
        tail -n 40 "$log" >&2
    fi
    exit 1
}

# --- Inside the virtual display. ---
window_names() { xdotool search --onlyvisible --name "." getwindowname %@ 2>/dev/null || true; }
shown() { window_names | grep -qF "$1"; }
wait_for() {
    local i
    for ((i = 0; i < kTimeoutTenths; ++i)); do
        shown "$1" && return 0
        kill -0 "$pid" 2>/dev/null || fail "the program ended before a window titled $1 appeared"
        sleep 0.1
    done
    fail "no window titled $1 appeared (open: $(window_names | tr '\n' '|'))"
}
wait_gone() {
    local i
    for ((i = 0; i < kTimeoutTenths; ++i)); do
        shown "$1" || return 0
        sleep 0.1
    done
    fail "the window titled $1 stayed open"
}
# Keys for the window titled $1: it gets the input focus first, since under
# load a window can be mapped before it has the focus.
key_to() {
    local title=$1 window
    shift
    window=$(xdotool search --onlyvisible --name "$title" | head -n 1)
    [ -n "$window" ] || fail "the window titled $title is gone"
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key "$@"
}
# Alt+F and an item's letter in the main window's file menu.
file_menu() {
    xdotool windowfocus --sync "$main"
    xdotool key alt+f
    sleep 0.5
    xdotool key "$1"
}
# Types a full path into the file dialog titled $1 and confirms it.
answer_file_dialog() {
    wait_for "$1"
    key_to "$1" ctrl+a
    xdotool type --delay 10 "$2"
    xdotool key Return
    wait_gone "$1"
}

inside_display() {
    local program=$1 scan=$2 definition=$3 saved=$4 log=$5
    "$program" "$scan" >"$log" 2>&1 &
    local pid=$!
    trap 'kill "$pid" 2>/dev/null || true' EXIT
    # The 200-dpi sample scan is announced, then the zero-mark dialog opens.
    wait_for "注意"
    key_to "注意" Return
    wait_for "基準点設定"
    key_to "基準点設定" Return
    wait_gone "基準点設定"
    main=$(xdotool search --onlyvisible --name "Velmora3" | head -n 1)
    [ -n "$main" ] || fail "no main window"
    file_menu i
    answer_file_dialog "開く" "$definition"
    file_menu a
    answer_file_dialog "名前を付けて保存" "$saved"
    local i=0
    while [ ! -s "$saved" ] && [ "$i" -lt "$kTimeoutTenths" ]; do
        sleep 0.1
        i=$((i + 1))
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    trap - EXIT
}

if [ "${1:-}" = "--inside-display" ]; then
    shift
    inside_display "$@"
    exit 0
fi

# --- Outside: tools, build, a private home with a copy of the samples. ---
self=$(realpath "$0")
root=$(dirname "$self")/..
build=$(realpath "${1:-$root/build}")
program=$build/bin/dravel
for tool in xvfb-run xauth xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
[ -x "$program" ] || fail "$program is not built"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/dravel-keys.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/Documents" "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
cp -r "$root/samples" "$scratch/samples"
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/runtime
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY

definition=$scratch/samples/sheet.ini
saved=$scratch/saved.ini
# -noreset: by default the server resets each time its last client leaves,
# and a program connecting during that reset (while the checks poll the
# window list) fails with "could not connect to display".
xvfb-run -a -s "-screen 0 $kScreen -noreset" bash "$self" --inside-display "$program" \
    "$scratch/samples/images/sheet001.jpg" "$definition" "$saved" "$scratch/dravel.log"
[ -s "$saved" ] || fail "nothing was saved under the typed path"

entries() { tr -d '\r' <"$1" | grep -E '^(MARK[0-9]|IMAGEAREA[0-9]|QUESTIONS=|OVALMARK_(WIDTH|HEIGHT)=)'; }
diff <(entries "$definition") <(entries "$saved") >/dev/null ||
    fail "the saved definition does not hold the imported entries"
echo "check-dravel-keyboard: imported and saved $(entries "$saved" | grep -c '^MARK') marks by keyboard"
