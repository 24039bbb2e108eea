#!/usr/bin/env bash
# Starts the built program in a real X server (Xvfb), checks that its window
# appears with its caption, closes it with Esc as a user would, and checks
# that the process ends.
#   real_window_test.sh PATH-TO-GRIBJOIN
set -euo pipefail
program=$1
work=$(mktemp -d)
server_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

"$program" --an-ignored-argument &
program_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^GribJoin' | head -n 1)
caption=$(xdotool getwindowname "$window")
echo "window $window: $caption"
case "$caption" in
    GribJoin*Copyright*) ;;
    *) echo "unexpected caption: $caption" >&2; exit 1 ;;
esac

xdotool windowfocus --sync "$window"
xdotool key Escape
status=0
timeout 10 tail --pid="$program_pid" -f /dev/null || { echo "the program did not end" >&2; exit 1; }
wait "$program_pid" || status=$?
program_pid=
echo "the program ended with status $status"
[ "$status" -eq 0 ]
