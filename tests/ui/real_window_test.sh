#!/usr/bin/env bash
# Runs the built program in a real X server (Xvfb) and drives it from
# outside with the keyboard alone, as a user would.
#   real_window_test.sh PATH-TO-GRIBJOIN close   the window appears with its
#                                                caption; Esc ends the program
#   real_window_test.sh PATH-TO-GRIBJOIN join    pick three samples (one plain,
#                                                two compressed) and a
#                                                destination, then Combine
set -euo pipefail
program=$(readlink -f "$1")
scenario=${2:-close}
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

# Waits for a visible window whose name matches $1 and gives it the focus.
focus_window() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1)
    xdotool windowfocus --sync "$id"
    echo "$id"
}

keys() { xdotool key --delay 50 "$@"; }

finish() {
    timeout 20 tail --pid="$program_pid" -f /dev/null || { echo "the program did not end" >&2; exit 1; }
    local status=0
    wait "$program_pid" || status=$?
    program_pid=
    echo "the program ended with status $status"
    [ "$status" -eq 0 ]
}

mkdir "$work/data"
cd "$work/data"
"$program" --an-ignored-argument &
program_pid=$!
window=$(focus_window '^GribJoin')
caption=$(xdotool getwindowname "$window")
echo "window $window: $caption"
case "$caption" in
    GribJoin*Copyright*) ;;
    *) echo "unexpected caption: $caption" >&2; exit 1 ;;
esac

if [ "$scenario" = close ]; then
    keys Escape
    finish
    exit 0
fi

samples=/usr/share/eccodes/samples
cp "$samples/GRIB1.tmpl" a.grb
bzip2 -c "$samples/GRIB2.tmpl" >b.grb.bz2
# Two streams in one file, as parallel compressors write them.
{ bzip2 -c "$samples/reduced_gg_pl_32_grib2.tmpl"; bzip2 -c "$samples/GRIB1.tmpl"; } >c.grb.bz2

# Combine has the focus; three Tabs reach the sources' "..." button.
keys Tab Tab Tab Return
focus_window '^Open' >/dev/null
xdotool type --delay 20 "$work/data"
keys Return
sleep 0.5
xdotool type --delay 20 '"c.grb.bz2" "a.grb" "b.grb.bz2"'
keys Return
sleep 0.5

# Back on the sources' "..." button: two Tabs reach the destination's.
focus_window '^GribJoin' >/dev/null
keys Tab Tab Return
focus_window '^Save' >/dev/null
keys ctrl+a
xdotool type --delay 20 "$work/data/joined.grb"
keys Return
sleep 0.5

# Back on the destination's "..." button: one Tab wraps round to Combine.
focus_window '^GribJoin' >/dev/null
keys Tab Return
finish

expected=$(($(grib_count c.grb) + $(grib_count a.grb) + $(grib_count b.grb)))
actual=$(grib_count joined.grb)
echo "joined.grb holds $actual GRIB messages; the sources hold $expected"
[ "$expected" -eq 4 ] && [ "$actual" -eq "$expected" ]
cat c.grb a.grb b.grb | cmp - joined.grb
