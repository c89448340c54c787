#!/usr/bin/env bash
# The capture once under PipeWire with its PulseAudio service: a private
# pipewire, wireplumber and pipewire-pulse in a temporary folder, a null sink
# "t" playing 1 kHz and 5 kHz whose monitor is the default source, and the
# analyser window (Xvfb) recording it the program's default way for thirty
# seconds at 44100 Hz, N = 1024. Prints whether both tones stand at their bins
# (from the first frame's CSV export of analyser_host), the CPU share, wake-ups
# a second, resident memory and frames a second. Not run in CI.
#
#   bench/analyser/pipewire_capture.sh [build folder]
#
# Installs pipewire, pipewire-pulse and wireplumber when missing. Should the
# packages take pulseaudio away, a trap puts it back whatever happens.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
host=$build/bin/analyser_host
seconds=${PIPEWIRE_SECONDS:-30}
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }

had_pulseaudio=$(dpkg-query -W -f='${Status}' pulseaudio 2>/dev/null | grep -c "install ok installed" || true)
restore_pulseaudio() {
    if [ "$had_pulseaudio" = 1 ] && ! dpkg-query -W -f='${Status}' pulseaudio 2>/dev/null | grep -q "install ok installed"; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends pulseaudio >/dev/null
    fi
}
missing=()
for p in pipewire pipewire-pulse wireplumber; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
    restore_pulseaudio
}
trap cleanup EXIT

if ((${#missing[@]})); then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

export XDG_RUNTIME_DIR=$work/run HOME=$work
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# WirePlumber, the session manager that links streams, wants a session bus.
dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus" >/dev/null 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/bus" ] && break; sleep 0.1; done
pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.1; done
wireplumber >"$work/wireplumber.log" 2>&1 &
pids+=($!)
pipewire-pulse >"$work/pipewire-pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info | grep -E "^Server (Name|Version)"
# The PulseAudio service answers before it can make sinks; a few tries.
for _ in $(seq 50); do pactl load-module module-null-sink sink_name=t >/dev/null 2>&1 && break; sleep 0.2; done
pactl list short sinks | grep -q "	t	" || { echo "no null sink:" >&2; tail -5 "$work"/*.log >&2; exit 1; }
sleep 1
for _ in $(seq 50); do pactl set-default-source t.monitor 2>/dev/null && break; sleep 0.2; done
sox -n -r 44100 -c 1 -b 16 "$work/tones.wav" synth 10 sine 1000 sine 5000 remix - vol 0.5
(while true; do paplay -d t "$work/tones.wav" 2>/dev/null || sleep 1; done) &
pids+=($!)

display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=:$display QT_QPA_PLATFORM=xcb
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

"$host" --seconds $((seconds + 10)) --rate 44100 --fft 1024 --size 1600x1000 --frames --export "$work/spectrum.csv" \
    >"$work/host.out" 2>"$work/host.err" &
app=$!
pids+=($app)
for _ in $(seq 200); do grep -q capturing "$work/host.out" && break; sleep 0.1; done
grep -q capturing "$work/host.out" || { echo "the analyser did not start capturing:" >&2; cat "$work/host.err" >&2; exit 1; }
sleep 3
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
wake_ups() { cat /proc/$1/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches:/ {n += $2} END {print n}'; }
frames() { awk '/^frames / {n = $2} END {print n + 0}' "$work/host.out"; }
t0=$(date +%s.%N); c0=$(cpu_ticks $app); w0=$(wake_ups $app); f0=$(frames)
sleep "$seconds"
t1=$(date +%s.%N); c1=$(cpu_ticks $app); w1=$(wake_ups $app); f1=$(frames)
rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$app/status")
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true

# The tones at their bins: 1000 and 5000 Hz at 44100 Hz, N = 1024 lie near bins 23 and 116.
awk -F, '!/^#/ && $1 ~ /^[0-9]+$/ { level[$1] = $3 }
    END {
        for (i = 1; i <= 2; i++) {
            hz = i == 1 ? 1000 : 5000; bin = int(hz * 1024 / 44100 + 0.5)
            best = bin; for (b = bin - 1; b <= bin + 1; b++) if (level[b] > level[best]) best = b
            printf "tone %d Hz: bin %d at %.1f dB (bin %d expected)\n", hz, best, level[best], bin
        }
    }' "$work/spectrum.csv"
hz=$(getconf CLK_TCK)
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v w0="$w0" -v w1="$w1" -v f0="$f0" -v f1="$f1" -v rss="$rss" 'BEGIN {
    printf "PipeWire, 44100 Hz, N = 1024, 1600 x 1000, %.1f s\n", t1 - t0
    printf "  CPU: %.2f %% of one core; wake-ups: %.0f a second; VmRSS: %.1f MiB; frames drawn: %.1f a second\n",
        100 * (c1 - c0) / hz / (t1 - t0), (w1 - w0) / (t1 - t0), rss / 1024, (f1 - f0) / (t1 - t0)
}'
