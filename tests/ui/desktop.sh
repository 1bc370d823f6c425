#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The executable that ships, on a real X server, dialling into a private sound
# server: its picture and icon are in it, two dialers pressed at the same moment
# send both commands whole one after the other, and a dialer that died while
# dialling does not hold up the next one.
#
#   desktop.sh DTMF_DIALER PICTURE_JPEG     (run under xvfb-run)
exe=$1
picture=$2
kind=pulseaudio
. "$(dirname "$0")/../support/windowdial.sh"

# The window's picture is compiled into the executable. The bytes come from the
# end of its compressed image data: a JPEG's head (quantisation and Huffman
# tables) is the same in many pictures.
bytes=$(od -An -tx1 -j $(($(stat -c %s "$picture") - 34)) -N 32 "$picture" | tr -d ' \n' | sed 's/../\\x&/g')
check "picture in the executable" "$(yes_if env LC_ALL=C grep -qaP "$bytes" "$exe")" "$picture"

"$exe" >>"$work/dialer.log" 2>&1 &
pid_a=$!
"$exe" >>"$work/dialer.log" 2>&1 &
pid_b=$!
pids+=("$pid_a" "$pid_b")
a=$(window_of "$pid_a")
b=$(window_of "$pid_b")
if [ -z "$a" ] || [ -z "$b" ]; then
    echo "FAIL: the dialers' windows did not appear"
    exit 1
fi
check "the window has its icon" "$(xprop -id "$a" _NET_WM_ICON | grep -q CARDINAL && echo yes || echo no)" \
    "_NET_WM_ICON"

# Focus on "**31##" in one window and on "**33##" in the other, then Space in
# both, a few milliseconds apart.
xdotool windowfocus "$a" key Tab
xdotool windowfocus "$b" key Tab Tab Tab Tab
sleep 0.3
record 3.5 xdotool windowfocus "$a" key space windowfocus "$b" key space
# Either dialer may take the lock first; the other's command follows, whole.
check "two dialers pressed together" \
    "$([ "$heard" = "**31##**33##" ] || [ "$heard" = "**33##**31##" ] && echo yes || echo no)" \
    "heard '$heard'"

# A dialer killed in the middle of a dial leaves its lock behind.
kill_a() {
    xdotool windowfocus "$a" key space
    sleep 0.5
    kill -9 "$pid_a"
}
kill_a
record 2.5 xdotool windowfocus "$b" key space
check "a dead dialer's lock holds nothing up" "$(yes_if [ "$heard" = "**33##" ])" "heard '$heard'"
finish
