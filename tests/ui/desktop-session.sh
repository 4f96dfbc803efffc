#!/bin/sh
# Uses tessaform under a real X server as a person would, through the
# keyboard, the mouse and a window manager's close requests, and checks
# what the person and the shell see. Run inside xvfb-run:
#   desktop-session.sh TESSAFORM SEND_CLOSE_REQUEST
# Positions are those of Debian's default font, DejaVu Sans at 9 points.
set -eu
tessaform=$1
send_close_request=$2

scratch=$(mktemp -d)
program=
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$scratch/stderr" ] && head -c 20000 "$scratch/stderr" >&2
    exit 1
}

# Nothing may land in the user's home or configuration folder.
home=$scratch/home
output=$scratch/output
mkdir "$home" "$output"
export HOME="$home" XDG_CONFIG_HOME="$home" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$output"

start_program() {
    "$tessaform" 2>"$scratch/stderr" &
    program=$!
    dialog=$(window_titled "^Tessaform - 1.1\$")
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    dialog_x=$X
    dialog_y=$Y
    point_at_dialog
}

# Without a window manager, nothing moves the focus but the program.
point_at_dialog() {
    xdotool windowfocus --sync "$dialog" mousemove $((dialog_x + 320)) $((dialog_y + 480))
}

# The program's newest visible window whose title matches, waiting up to
# 60 s.
window_titled() {
    found=$(timeout 60 xdotool search --sync --onlyvisible --all --pid "$program" --name "$1" 2>/dev/null) ||
        fail "no window titled $1"
    echo "$found" | tail -n 1
}

# Types $2 into the dialog titled $1.
type_into() {
    xdotool windowfocus --sync "$(window_titled "$1")" type "$2"
}

# Answers the dialog titled $1 with the keys that follow.
answer() {
    answered=$(window_titled "$1")
    shift
    xdotool windowfocus --sync "$answered"
    for key; do xdotool key "$key"; done
    wait_until_gone "$answered"
}

wait_until_gone() {
    for _ in $(seq 100); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window $1 still open"
}

# Client coordinates, below the menu bar, in pixels of the default font.
click_at() {
    xdotool mousemove $((dialog_x + $1)) $((dialog_y + 19 + $2)) click 1
    sleep 0.3
}

menu_item() {
    point_at_dialog
    xdotool key alt
    [ "$1" = Render ] && xdotool key Right
    xdotool key Return
    shift
    for key; do xdotool key "$key"; done
    sleep 0.5
}

set_size() {
    click_at 110 398
    xdotool key ctrl+a type "$1"
    click_at 110 433
    xdotool key ctrl+a type "$2"
}

end_program() {
    wait "$program" && status=0 || status=$?
    program=
    [ "$status" = "$1" ] || fail "exit status $status, expected $1"
}

start_program

# Load parameters, cancelled, and a PNG cut short as the gradient: a
# message, and not a word on the terminal.
menu_item File Down Down Return
answer "^Open\$" Escape
printf '\211PNG\r\n\032\n\000\000\000\rIHDR\000\000\000\100\000' >"$scratch/cut.png"
click_at 556 24
type_into "^Open\$" "$scratch/cut.png"
answer "^Open\$" Return
answer "^ \$" Return

# Background Color with a custom colour added.
click_at 84 22
answer "^Select Color\$" alt+a Return

# A size that cannot be rendered is refused before any file is asked for,
# in a message box without a caption.
set_size 0 48
menu_item Render Return
answer "^ \$" Return

# A finished render, closed by the window manager.
set_size 64 48
menu_item Render Return
answer "^Save As\$" Return
saved=$(window_titled "^Render saved - You can close this window\$")
"$send_close_request" "$saved"
wait_until_gone "$saved"
[ -s Julia.tga ] || fail "no Julia.tga"

# Long renders, one closed by the window manager and one by a key.
set_size 3000 2000
menu_item Render Return
type_into "^Save As\$" closed.tga
answer "^Save As\$" Return
rendering=$(window_titled "^First pass")
"$send_close_request" "$rendering"
wait_until_gone "$rendering"

menu_item Render Return
type_into "^Save As\$" keyed.tga
answer "^Save As\$" Return
rendering=$(window_titled "^First pass")
xdotool windowfocus --sync "$rendering" key space
sleep 1
title=$(xdotool getwindowname "$rendering")
sleep 1
[ "$(xdotool getwindowname "$rendering")" = "$title" ] || fail "render went on after a key"

# File, Exit: the program returns 40002, of which the shell sees the low byte.
menu_item File Up Return
end_program 66
[ ! -e closed.tga ] && [ ! -e keyed.tga ] || fail "a stopped render wrote its file"
[ -z "$(ls -A "$home")" ] || fail "left in the home folder: $(ls -A "$home")"
[ ! -s "$scratch/stderr" ] || fail "the program wrote to stderr"

# The close box and Escape end it with 2.
start_program
"$send_close_request" "$dialog"
end_program 2
start_program
xdotool key Escape
end_program 2
echo "desktop session passed"
