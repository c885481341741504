# Shared by the real-desktop tests: an Xvfb display of their own with openbox
# and tint2 (a panel with an XEmbed notification area), bounded X tools, and
# cleanup of every process started here. Source it, then call start_desktop.
# Sets $work, a temporary folder removed at exit; a test keeps the program's
# process id in $app_pid so that it is ended at exit as well.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $*"; }

missing=()
for tool in Xvfb openbox tint2 xdotool xwininfo xprop timeout; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -ne 0 ]; then
    fail "the desktop tests need ${missing[*]}; scripts/install-deps.sh installs them" \
        "(Debian packages xvfb, openbox, tint2, xdotool, x11-utils)"
fi
tint2rc=/etc/xdg/tint2/tint2rc
[ -f "$tint2rc" ] || fail "tint2's default configuration $tint2rc is missing (package tint2)"

work=$(mktemp -d)
xvfb_pid='' wm_pid='' tint2_pid='' app_pid=''

# Ends one process we started: politely, then for good; never waits long.
stop() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}

cleanup() {
    local status=$?
    if [ $status -ne 0 ] && [ -n "${DISPLAY:-}" ]; then
        echo "--- windows of the program at the failure:" >&2
        timeout 5 xwininfo -root -tree 2>/dev/null | grep -i kestrune >&2 || true
        if [ -n "${SHOTS:-}" ] && command -v import >/dev/null 2>&1; then
            mkdir -p "$SHOTS" && timeout 10 import -window root "$SHOTS/failure.png" || true
        fi
        for log in "$work"/*.log; do
            [ -s "$log" ] && { echo "--- $(basename "$log"):" >&2; tail -n 60 "$log" >&2; }
        done
    fi
    stop "$app_pid"
    stop "$tint2_pid"
    stop "$wm_pid"
    stop "$xvfb_pid"
    [ -n "${KEEP_WORK:-}" ] && echo "kept $work" >&2 || rm -rf "$work"
    exit $status
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# wait_for SECONDS WHAT COMMAND...: runs COMMAND until it succeeds, or fails
# with "WHAT" once SECONDS have passed.
wait_for() {
    local limit=$1 what=$2
    shift 2
    local end=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $end ] || fail "$what (waited ${limit} s)"
        sleep 0.1
    done
}

# X tools with a bound: none of them may hang the test.
x() { timeout 10 "$@"; }

start_tint2() {
    tint2 -c "$tint2rc" >>"$work/tint2.log" 2>&1 &
    tint2_pid=$!
    wait_for 15 "tint2 did not show its panel" x xdotool search --classname '^tint2$'
}

# The docked icon, from tint2's window tree: "ID X Y WIDTH HEIGHT" (absolute).
icon_geometry() {
    local panel line
    for panel in $(x xdotool search --classname '^tint2$'); do
        line=$(x xwininfo -tree -id "$panel" | grep '("kestrune" "Kestrune")' | head -n 1) || continue
        [ -n "$line" ] || continue
        # ... 0x800006 "Kestrune": ("kestrune" "Kestrune")  22x22+0+0  +859+742
        local id size at
        id=$(awk '{print $1}' <<<"$line")
        size=$(awk '{print $(NF-1)}' <<<"$line")
        at=$(awk '{print $NF}' <<<"$line")
        local w=${size%%x*} rest=${size#*x}
        local h=${rest%%+*}
        local ax=${at#+}
        local ay=${ax#*+}
        ax=${ax%%+*}
        echo "$((id)) $ax $ay $w $h"
        return 0
    done
    return 1
}
icon_docked() { icon_geometry >/dev/null; }

click_icon() {
    local id ax ay w h
    read -r id ax ay w h < <(icon_geometry) || fail "the icon is not docked"
    # Well apart from the click before, or the two would make a double click.
    sleep 1
    x xdotool mousemove $((ax + w / 2)) $((ay + h / 2))
    x xdotool click "$1"
}

# A left click on the face's tick mark, at (282, 4, 15, 13) in the window.
click_tick() {
    eval "$(x xdotool getwindowgeometry --shell "$1")"
    x xdotool mousemove $((X + 282 + 7)) $((Y + 4 + 6))
    sleep 0.3
    x xdotool click 1
}

map_state() { x xwininfo -id "$1" | sed -n 's/.*Map State: //p'; }
viewable() { [ "$(map_state "$1")" = IsViewable ]; }
unmapped() { [ "$(map_state "$1")" = IsUnMapped ]; }
# Hidden by the program (withdrawn: no WM_STATE), not merely iconified by the
# window manager, which keeps a taskbar entry.
withdrawn() { unmapped "$1" && ! x xprop -id "$1" WM_STATE | grep -q 'WM_STATE(WM_STATE)'; }
# Minimised: unmapped, and the window manager still keeps it (WM_STATE Iconic).
iconified() { unmapped "$1" && x xprop -id "$1" WM_STATE | grep -q 'window state: Iconic'; }
active_is() { [ "$(x xdotool getactivewindow)" = "$1" ]; }
# Another window may vanish while xdotool walks the tree, which makes it fail:
# a few tries before the answer counts as "none".
visible_named() {
    local found
    for _ in 1 2 3; do
        found=$(x xdotool search --onlyvisible --name "$1" 2>/dev/null) && [ -n "$found" ] &&
            { echo "$found"; return 0; }
        sleep 0.1
    done
    return 1
}
gone_named() { ! x xdotool search --onlyvisible --name "$1"; }

# The open pop-up menu: a visible override-redirect window of the program that
# is not the docked icon.
menu_window() {
    local icon w
    icon=$(icon_geometry | awk '{print $1}')
    for w in $(x xdotool search --onlyvisible --classname '^kestrune$'); do
        [ "$w" != "$icon" ] || continue
        x xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && { echo "$w"; return 0; }
    done
    return 1
}

# start_kestrune PROGRAM DISC ARGUMENT: the program started on the display with
# ARGUMENT, its single-copy lock in $work/run and the sheet DISC as its only
# drive (none given: the drives the environment names). $app_pid is its
# process, $work/kestrune.log what it writes.
start_kestrune() {
    mkdir -p -m 700 "$work/run"
    env XDG_RUNTIME_DIR="$work/run" ${2:+DISCREAD_DRIVES="$2"} QT_QPA_PLATFORM=xcb \
        "$1" "$3" >"$work/kestrune.log" 2>&1 &
    app_pid=$!
}

# answer_save_dialog [NAME | --cancel]: waits for the program's save dialog and
# takes its proposal, or types NAME first, or cancels it; then waits until it
# has closed.
answer_save_dialog() {
    wait_for 20 "the save dialog did not open" visible_named '^Save As$'
    local dialog
    dialog=$(visible_named '^Save As$' | head -n 1)
    x xdotool windowactivate --sync "$dialog"
    sleep 0.3
    case "${1:-}" in
    --cancel) x xdotool key Escape ;;
    '') x xdotool key Return ;;
    *) x xdotool type "$1" && x xdotool key Return ;;
    esac
    wait_for 10 "the save dialog did not close" gone_named '^Save As$'
}

# start_desktop [--no-tray]: without tint2 the desktop has no notification
# area, as stock GNOME or a bare window manager.
start_desktop() {
    if [ "${1:-}" = --no-tray ]; then
        step "a display of our own and a window manager, no notification area"
    else
        step "a display of our own, a window manager and a panel with a notification area"
    fi
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    wait_for 15 "Xvfb did not start" test -s "$work/display"
    export DISPLAY=":$(cat "$work/display")"
    unset WAYLAND_DISPLAY
    export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_for 15 "openbox did not take over the display" \
        sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
    [ "${1:-}" = --no-tray ] || start_tint2
}
