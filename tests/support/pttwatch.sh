# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced after windowdial.sh by the scripts whose dialers key a transmitter:
# Hamlib's dummy rig behind a real rigctld, which the dialers key through
# Hamlib's network rig (model 2), and what the PTT did while the sink was
# recorded, on one time base.
#
#   start_rigctld PORT         rigctld on PORT (rig_port is a free one)
#   watched SECONDS COMMAND... records the sink and polls the PTT while COMMAND
#                              runs and SECONDS more pass, then: ptt_keyings,
#                              ptt_unkeyed, ptt_final, ptt_polled (below)
#
# When the PTT changed: rigctld's own trace, time-stamped to the microsecond
# (corrected for Hamlib's stamps, which lag a second for ~3 ms after each
# second begins). A poll over a connection of its own cannot tell: the dummy
# rig answers some requests after 20 ms, holding rigctld meanwhile, and the
# dialer's rig_open asks several, so the poll that first sees the keying may
# have waited 20-60 ms.
#
# The time base of the recording: the PTT is polled ('t', get_ptt) every
# ~2.3 ms, and each poll notes the wall clock and how many bytes the recorder
# had written by then (its file position, read from /proc without a fork: a
# fork costs ~10 ms here). A sample is in the file only after the sink played
# it, so the sink's clock started no later than each poll's time less its
# samples / rate; the earliest such start over the polls of the half second
# after a sample was written tells when it sounded (start + n / rate; no one
# start holds for a whole recording: once, with PipeWire, a recording lost
# ~90 ms between two keyings). The recorder gets 10-20 ms fragments
# and many polls fall within 2 ms of one arriving, so the envelope is met to
# a fraction of a ms; but the sink hands a new stream's sound to its monitor
# ahead of its own clock: a tone written at a known moment (a probe of
# tones::PortAudioOutput) shows 8-12 ms before that moment with PulseAudio and
# 0-6 ms after it with PipeWire. Sounds are placed up to ~12 ms early: leads
# read that much short, tails that much long.
ptt_lead=${ptt_lead:-250}
ptt_tail=${ptt_tail:-100}
rec_rate=22050 # soundserver.sh records mono 16-bit at this rate

free_port() { # one that nothing listens on, below the range of outgoing connections' ports
    local port
    while :; do
        port=$((20000 + RANDOM % 12000))
        (exec 5<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
    done
}
start_rigctld() { # start_rigctld PORT: a dummy rig with PTT by CAT, answering on PORT
    # Its trace (time-stamped to the microsecond) tells when the PTT changed.
    rigctld -m 1 -P RIG -t "$1" -vvvv -Z >>"$work/rigctld.log" 2>&1 &
    pids+=($!)
    rigctld_pid=$!
    for _ in $(seq 100); do
        (exec 5<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
        sleep 0.05
    done
    echo "rigctld does not answer on port $1: $(tail -3 "$work/rigctld.log")" >&2
    return 1
}
rig_port=$(free_port)
start_rigctld "$rig_port" || exit 1
dialer_args=(--rig-model 2 --rig-file "127.0.0.1:$rig_port" --ptt-type RIG
    --ptt-lead-ms "$ptt_lead" --ptt-tail-ms "$ptt_tail")

# "t1 t2 ptt t3 bytes" lines until killed: the poll sent at t1, answered at t2;
# the recorder's file position read at t3.
poll_ptt() { # poll_ptt PORT RECORDER_PID WAV
    local nap fd t1 t2 t3 ptt key pos bytes
    exec 3<>"/dev/tcp/127.0.0.1/$1" || return
    exec {nap}<> <(:)
    for fd in /proc/"$2"/fd/*; do
        [ "$(readlink "$fd")" = "$3" ] && break
    done
    while :; do
        t1=$EPOCHREALTIME
        printf 't\n' >&3
        IFS= read -r ptt <&3 || return
        t2=$EPOCHREALTIME
        bytes=0
        while read -r key pos; do
            [ "$key" = pos: ] && bytes=$pos && break
        done <"/proc/$2/fdinfo/${fd##*/}"
        t3=$EPOCHREALTIME
        echo "$t1 $t2 $ptt $t3 $bytes"
        read -r -t 0.002 -u "$nap"
    done
}

watched() { # watched SECONDS COMMAND...
    rig_log_from=$(stat -c %s "$work/rigctld.log")
    bash "$server" record "$runtime" "$work/rec.wav" || return
    poll_ptt "$rig_port" "$(cat "$runtime/recorder.uplink")" "$work/rec.wav" >"$work/ptt.log" 2>/dev/null &
    local poller=$!
    while [ ! -s "$work/ptt.log" ] && kill -0 "$poller" 2>/dev/null; do sleep 0.01; done
    "${@:2}" >/dev/null 2>&1
    sleep "$1"
    kill "$poller"
    wait "$poller" 2>/dev/null
    bash "$server" stop-recording "$runtime"
    ptt_analyse
}

# From the recording, rigctld's trace and the poll log:
#   ptt_keyings      "ON OFF LEAD TAIL TONES" a line for each keying: ON and
#                    OFF in s (OFF "-" while still keyed), LEAD from ON to the
#                    first tone's sound and TAIL from the last tone's sound to
#                    OFF, in ms ("-" without tones)
#   ptt_unkeyed      how many tones sounded while the PTT was off
#   ptt_final        the PTT at the last poll
#   ptt_polled       how many times the polls saw it go on
#   ptt_polls        the poll's period, median and worst (ms)
ptt_analyse() {
    local data day
    data=$(LC_ALL=C grep -obUa -m1 data "$work/rec.wav" | head -n 1 | cut -d: -f1)
    # Sounds: spans louder than -40 dBFS, split at 20 ms of silence, in
    # samples from the file's start.
    sox "$work/rec.wav" -t dat - 2>/dev/null | awk -v rate="$rec_rate" '
        /^;/ { next }
        { n = int($1 * rate + 0.5); v = $2 < 0 ? -$2 : $2 }
        v > 0.01 {
            if (!on || n - last > rate * 0.02) { if (on) print first, last + 1; first = n; on = 1 }
            last = n
        }
        END { if (on) print first, last + 1 }' >"$work/sounds"
    # The PTT's changes, as rigctld made them: "EPOCH STATE". Hamlib's time
    # stamps lag a whole second for the first ~3 ms of each second: a time a
    # second behind the line before is taken as the next second's.
    tail -c +$((rig_log_from + 1)) "$work/rigctld.log" | awk '
        /^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]T/ {
            day = substr($1, 1, 10)
            if (!(day in midnight)) { date = "date -u -d " day " +%s"; date | getline midnight[day]; close(date) }
            split(substr($1, 12, 15), hms, ":")
            t = midnight[day] + hms[1] * 3600 + hms[2] * 60 + hms[3]
            if (t < last - 0.5) t += 1
            last = t
        }
        / rigctl_set_ptt: ptt=/ { printf "%.6f %s\n", t, substr($3, 5) }' >"$work/changes"
    awk -v rate="$rec_rate" -v data=$((data + 8)) -v soundsfile="$work/sounds" \
        -v changesfile="$work/changes" '
        function ms(s) { return sprintf("%.1f", s * 1000) }
        # When sample k sounded: by the polls of the half second after it was
        # written (so that samples the recorder lost elsewhere do not count),
        # else by all later ones, else by all.
        function when(k,   i, pass, start, best) {
            for (pass = 1; pass <= 3 && best == ""; pass++)
                for (i = 1; i <= polls; i++)
                    if (pass == 3 || ns[i] >= k && (pass == 2 || ns[i] <= k + rate / 2)) {
                        start = tp[i] - ns[i] / rate
                        if (best == "" || start < best) best = start
                    }
            return best + k / rate
        }
        {
            st[NR] = $3; n = NR
            if (NR > 1) { period[NR - 1] = $1 - t1; if ($3 == 1 && st[NR - 1] != 1) polled++ }
            t1 = $1
            if ($5 > data) { polls++; tp[polls] = $4; ns[polls] = ($5 - data) / 2 }
        }
        END {
            k = 0
            while ((getline line < changesfile) > 0) { split(line, f, " "); k++; at[k] = f[1]; to[k] = f[2] }
            s = 0
            while ((getline line < soundsfile) > 0) {
                split(line, f, " "); s++
                from[s] = when(f[1]); until[s] = when(f[2])
            }
            keyings = ""; unkeyed = 0
            for (j = 1; j <= k; j++) {
                if (to[j] != 1 || (j > 1 && to[j - 1] == 1)) continue
                on = at[j]; off = -1
                for (i = j + 1; i <= k; i++) if (to[i] == 0) { off = at[i]; break }
                first = ""; last = ""; tones = 0
                for (i = 1; i <= s; i++) {
                    if (from[i] >= on && (off < 0 || until[i] <= off)) {
                        if (first == "") first = from[i]
                        last = until[i]; tones++; used[i] = 1
                    }
                }
                keyings = keyings sprintf("%.4f %s %s %s %d\n", on, off < 0 ? "-" : sprintf("%.4f", off),
                    first == "" ? "-" : ms(first - on), first == "" || off < 0 ? "-" : ms(off - last), tones)
            }
            for (i = 1; i <= s; i++) if (!used[i]) unkeyed++
            printf "%s", keyings > "/dev/stderr"
            m = n - 1; for (i = 1; i <= m; i++) p[i] = period[i]
            for (i = 2; i <= m; i++) { v = p[i]; for (j = i - 1; j >= 1 && p[j] > v; j--) p[j + 1] = p[j]; p[j + 1] = v }
            printf "%d %s %d %s %s\n", unkeyed, st[n], polled, ms(p[int((m + 1) / 2)]), ms(p[m])
        }' "$work/ptt.log" 2>"$work/keyings" >"$work/summary"
    ptt_keyings=$(cat "$work/keyings")
    read -r ptt_unkeyed ptt_final ptt_polled poll_median poll_worst <"$work/summary"
    ptt_polls="$poll_median/$poll_worst"
}
