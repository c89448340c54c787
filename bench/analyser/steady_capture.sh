#!/usr/bin/env bash
# Thirty seconds of steady capture: a private PulseAudio server plays a sweep
# into a null sink, and the analyser window (1600 x 1000, under Xvfb) records
# its monitor at 44100 Hz with N = 16384. Prints the process's share of one
# core over the thirty seconds (from /proc/PID/stat) and its resident memory
# (VmRSS) at the start and at the end.
#
#   bench/analyser/steady_capture.sh [build folder]     (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
host=$build/bin/analyser_host
seconds=30
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The sound server, on its own socket; every client below finds it through PULSE_SERVER.
mkdir -p "$work/run"
HOME=$work XDG_RUNTIME_DIR=$work/run PULSE_RUNTIME_PATH=$work/run \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=true \
    --load="module-null-sink sink_name=t rate=44100" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$work/run/native" >"$work/server.log" 2>&1 &
pids+=($!)
export PULSE_SERVER=unix:$work/run/native HOME=$work
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-source t.monitor

# The null sink clocks the player at real-time pace.
sox -n -r 44100 -c 1 -b 16 "$work/sweep.wav" synth 10 sine 100-15000 vol 0.5
(while true; do paplay -d t "$work/sweep.wav" || sleep 1; done) &
pids+=($!)

display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=:$display QT_QPA_PLATFORM=xcb
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

"$host" --seconds $((seconds + 20)) --rate 44100 --fft 16384 --size 1600x1000 >"$work/host.out" 2>"$work/host.err" &
app=$!
pids+=($app)
for _ in $(seq 200); do grep -q capturing "$work/host.out" && break; sleep 0.1; done
grep -q capturing "$work/host.out" || { echo "the analyser did not start capturing:" >&2; cat "$work/host.err" >&2; exit 1; }
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
if grep -q "^message:" "$work/host.err"; then
    echo "  messages shown:"; grep "^message:" "$work/host.err" | sed 's/^/    /'
fi
