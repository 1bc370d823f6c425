#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How far ahead of the first tone's sound the transmitter is keyed (the lead)
# and how long after the last tone's sound it is released (the tail): the
# shipped executable, on a real X server, keying Hamlib's dummy rig behind a
# real rigctld while it dials into a private sound server; the PTT polled over a
# second connection and the sink recorded (time base: tests/support/pttwatch.sh).
#
#   xvfb-run -a -s "-screen 0 1024x768x24" bash bench/ptt_timing.sh build/dtmf-dialer [pulseaudio|pipewire] [DIALS]
#
# Prints each dial's lead and tail, then their mean and the worst (the farthest
# from the set 250 ms and 100 ms).
exe=$(realpath "$1")
kind=${2:-pulseaudio}
dials=${3:-20}
command=**31##
here=$(dirname "${BASH_SOURCE[0]}")
# The PTT's time base comes from the recorder's fragments (pttwatch.sh), which
# PipeWire delivers once a cycle: the recorder's own 5 ms cycles, not 21 ms.
export SOUNDSERVER_CYCLES=short
. "$here/../tests/support/windowdial.sh"
. "$here/../tests/support/pttwatch.sh"

start_dialer
: >"$work/figures"
for n in $(seq "$dials"); do
    watched 2.2 xdotool windowfocus "$window" key space
    read -r _ _ lead tail tones <<<"$ptt_keyings"
    echo "dial $n: lead $lead ms, tail $tail ms, $tones tones, $(wc -l <<<"$ptt_keyings") keying(s), polls $ptt_polls ms"
    [ "$tones" = 6 ] && echo "$lead $tail" >>"$work/figures"
done
kill "${pids[@]}" 2>/dev/null
wait 2>/dev/null
pids=()
awk -v kind="$kind" -v lead="$ptt_lead" -v tail="$ptt_tail" '
    function worse(v, set, w) { return (v - set) ^ 2 > (w - set) ^ 2 }
    { n++; l += $1; t += $2
      if (n == 1 || worse($1, lead, wl)) wl = $1
      if (n == 1 || worse($2, tail, wt)) wt = $2 }
    END { printf "%s, %d dials: lead (set %d ms) mean %.1f ms, worst %.1f ms; tail (set %d ms) mean %.1f ms, worst %.1f ms\n",
          kind, n, lead, l / n, wl, tail, t / n, wt }' "$work/figures"
