#!/usr/bin/env bash
# How soon the analyser notices that its sound server is gone: the window
# captures a private PulseAudio server's sweep at 44100 Hz with N = 1024; two
# seconds in, the server is killed (or frozen with SIGSTOP), and the time to
# the capture-lost message, which comes once the capture has stopped, is
# taken. Then Stop, and closing the window, are timed with the server frozen
# a second before. Each is run the given number of times on a fresh server;
# the median and the range are printed. The host records the program's
# default way (from the server where one answers); BACKEND=alsa forces ALSA.
#
#   bench/analyser/server_loss.sh [build folder] [runs]     (default: build, 10)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
runs=${2:-10}
host=$build/bin/analyser_host
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }

# One run in a subshell of its own, so each gets a fresh desk: prints the milliseconds.
one_run() (
    source "$here/sound_desk.sh"
    desk_start_sound
    desk_start_display
    server=${desk_pids[0]}
    local extra=()
    case $1 in
    STOP-then-stop) extra=(--stop-at 3) ;;
    STOP-then-close) extra=(--close-at 3) ;;
    esac
    "$host" --seconds 30 --rate 44100 --fft 1024 --size 1600x1000 ${BACKEND:+--backend $BACKEND} "${extra[@]}" \
        >"$desk/host.out" 2>"$desk/host.err" &
    desk_pids+=($!)
    for _ in $(seq 200); do grep -q capturing "$desk/host.out" && break; sleep 0.1; done
    grep -q capturing "$desk/host.out" || { echo "the analyser did not start capturing" >&2; exit 1; }
    sleep 2
    if [ "$1" != KILL ] && [ "$1" != STOP ]; then
        kill -STOP "$server"
        for _ in $(seq 300); do grep -q " took " "$desk/host.out" && break; sleep 0.01; done
        kill -CONT "$server"
        sed -n 's/^[a-z]* took \([0-9.]*\) ms$/\1/p' "$desk/host.out" | head -1
        return
    fi
    lost=$(date +%s%3N)
    kill "-$1" "$server"
    for _ in $(seq 1000); do grep -q "^message shown at" "$desk/host.err" && break; sleep 0.01; done
    shown=$(sed -n 's/^message shown at \([0-9]*\) ms$/\1/p' "$desk/host.err" | head -1)
    [ "$1" = STOP ] && kill -CONT "$server"
    [ -n "$shown" ] || { echo "no message within 10 s" >&2; exit 1; }
    echo $((shown - lost))
)

for signal in KILL STOP STOP-then-stop STOP-then-close; do
    times=()
    for _ in $(seq "$runs"); do times+=("$(one_run $signal 2> >(grep -v Killed >&2))"); done
    case $signal in
    KILL) what="server killed: capture ended with the message after" ;;
    STOP) what="server frozen: capture ended with the message after" ;;
    STOP-then-stop) what="server frozen: Stop took" ;;
    STOP-then-close) what="server frozen: closing the window took" ;;
    esac
    printf '%s\n' "${times[@]}" | sort -g | awk -v what="$what" '
        { t[NR] = $1 }
        END { m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
              printf "%s %g ms (median of %d, %g..%g ms)\n", what, m, NR, t[1], t[NR] }'
done
