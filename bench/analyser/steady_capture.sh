#!/usr/bin/env bash
# Steady capture: a private PulseAudio server plays a sweep into a null sink,
# and the analyser window (1600 x 1000, under Xvfb) records its monitor, for
# thirty seconds in each setting: N = 1024 and 16384 at 44100 Hz, N = 1024 at
# 22050 Hz. Prints the process's share of one core over the thirty seconds
# (from /proc/PID/stat) and its resident memory (VmRSS) at the start and at
# the end of each, how often its threads woke and how many frames it drew.
#
#   bench/analyser/steady_capture.sh [build folder] [RATE:N ...]
#       (default: build, 44100:1024 44100:16384 22050:1024)
#   STEADY_PERF=DIR   also records a perf profile of each run into DIR
#                     (perf from Debian's linux-perf, installed when missing)
#   STEADY_SECONDS=S  measures S seconds instead of thirty
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
shift || true
settings=("$@")
[ ${#settings[@]} -gt 0 ] || settings=(44100:1024 44100:16384 22050:1024)
host=$build/bin/analyser_host
seconds=${STEADY_SECONDS:-30}
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }
if [ -n "${STEADY_PERF:-}" ]; then
    mkdir -p "$STEADY_PERF"
    command -v perf >/dev/null || { apt-get update -qq && apt-get install -y -qq linux-perf >/dev/null; }
fi

source "$here/sound_desk.sh"
desk_start_sound
desk_start_display

cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# Every thread's voluntary context switches: how often the program sleeps and wakes.
frames() { awk '/^frames / {n = $2} END {print n + 0}' "$desk/host.out"; }
wake_ups() { cat /proc/$1/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches:/ {n += $2} END {print n}'; }
hz=$(getconf CLK_TCK)

# Older hosts cannot count frames.
counting=$(grep -aq 'frames drawn so far' "$host" && echo --frames || true)

for setting in "${settings[@]}"; do
    rate=${setting%%:*} fft=${setting##*:}
    : >"$desk/host.out"
    "$host" --seconds $((seconds + 20)) --rate "$rate" --fft "$fft" --size 1600x1000 $counting >"$desk/host.out" 2>"$desk/host.err" &
    app=$!
    desk_pids+=($app)
    for _ in $(seq 200); do grep -q capturing "$desk/host.out" && break; sleep 0.1; done
    grep -q capturing "$desk/host.out" || { echo "the analyser did not start capturing:" >&2; cat "$desk/host.err" >&2; exit 1; }
    sleep 3  # past the first frames

    if [ -n "${STEADY_PERF:-}" ]; then
        perf record -q -e cpu-clock -F 999 -g -p "$app" -o "$STEADY_PERF/perf.$rate.$fft.data" -- sleep "$seconds" \
            >/dev/null 2>&1 &
        recorder=$!
    fi
    t0=$(date +%s.%N); c0=$(cpu_ticks $app); r0=$(rss_kb $app); w0=$(wake_ups $app); f0=$(frames)
    sleep "$seconds"
    t1=$(date +%s.%N); c1=$(cpu_ticks $app); r1=$(rss_kb $app); w1=$(wake_ups $app); f1=$(frames)
    [ -z "${STEADY_PERF:-}" ] || wait "$recorder" || true

    awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v r0="$r0" -v r1="$r1" \
        -v rate="$rate" -v fft="$fft" -v w0="$w0" -v w1="$w1" -v f0="$f0" -v f1="$f1" -v counted="${counting:+1}" 'BEGIN {
        printf "steady capture, %d Hz, N = %d, 1600 x 1000, %.1f s\n", rate, fft, t1 - t0
        printf "  CPU: %.2f %% of one core\n", 100 * (c1 - c0) / hz / (t1 - t0)
        printf "  VmRSS: %d kB at the start, %d kB at the end (%+d kB)\n", r0, r1, r1 - r0
        printf "  wake-ups: %.0f a second (all threads)", (w1 - w0) / (t1 - t0)
        if (counted) printf "; frames drawn: %.1f a second", (f1 - f0) / (t1 - t0)
        printf "\n"
    }'
    if grep -q "^message:" "$desk/host.err"; then
        echo "  messages shown:"; grep "^message:" "$desk/host.err" | sed 's/^/    /'
    fi
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
done
