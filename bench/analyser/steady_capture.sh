#!/usr/bin/env bash
# Thirty seconds of steady capture: a private PulseAudio server plays a sweep
# into a null sink, and the analyser window (1600 x 1000, under Xvfb) records
# its monitor at 44100 Hz with N = 16384. Prints the process's share of one
# core over the thirty seconds (from /proc/PID/stat) and its resident memory
# (VmRSS) at the start and at the end.
#
#   bench/analyser/steady_capture.sh [build folder]     (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
host=$build/bin/analyser_host
seconds=30
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }

source "$here/sound_desk.sh"
desk_start_sound
desk_start_display

"$host" --seconds $((seconds + 20)) --rate 44100 --fft 16384 --size 1600x1000 >"$desk/host.out" 2>"$desk/host.err" &
app=$!
desk_pids+=($app)
for _ in $(seq 200); do grep -q capturing "$desk/host.out" && break; sleep 0.1; done
grep -q capturing "$desk/host.out" || { echo "the analyser did not start capturing:" >&2; cat "$desk/host.err" >&2; exit 1; }
sleep 3  # past the first frames

cpu_ticks() { sed 's/.*) //' "/proc/$app/stat" | awk '{print $12 + $13}'; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$app/status"; }
hz=$(getconf CLK_TCK)

t0=$(date +%s.%N); c0=$(cpu_ticks); r0=$(rss_kb)
sleep "$seconds"
t1=$(date +%s.%N); c1=$(cpu_ticks); r1=$(rss_kb)

awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v r0="$r0" -v r1="$r1" 'BEGIN {
    printf "steady capture, 44100 Hz, N = 16384, 1600 x 1000, %.1f s\n", t1 - t0
    printf "  CPU: %.2f %% of one core\n", 100 * (c1 - c0) / hz / (t1 - t0)
    printf "  VmRSS: %d kB at the start, %d kB at the end (%+d kB)\n", r0, r1, r1 - r0
}'
if grep -q "^message:" "$desk/host.err"; then
    echo "  messages shown:"; grep "^message:" "$desk/host.err" | sed 's/^/    /'
fi
