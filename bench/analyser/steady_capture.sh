#!/usr/bin/env bash
# Steady capture: a private PulseAudio server plays a sweep into a null sink,
# and the analyser window (1600 x 1000, under Xvfb) records its monitor, for
# thirty seconds in each setting: N = 1024 and 16384 at 44100 Hz, N = 1024 at
# 22050 Hz. Prints the process's share of one core over the thirty seconds
# (from /proc/PID/stat) and its resident memory (VmRSS) at the start and at
# the end of each, how often its threads woke and how many frames it drew.
#
# The floor skeleton (bench/analyser/floor_skeleton.cpp: raw libpulse, one
# FFT, a chart image and a waterfall image where the program has them) runs
# alternately with the program, twice each per setting, on the same server
# and display; last come the means and the program-to-floor ratios. Other
# work on the machine weighs on both alike. STEADY_ROUNDS=R runs R rounds.
#
#   bench/analyser/steady_capture.sh [build folder] [RATE:N ...]
#       (default: build, 44100:1024 44100:16384 22050:1024)
#   STEADY_PERF=DIR   also records a perf profile of each run into DIR
#                     (perf from Debian's linux-perf, installed when missing)
#   STEADY_SECONDS=S  measures S seconds instead of thirty
#   STEADY_READOUTS=1 also runs the program with the peak and pitch readout
#                     shown, after the floor in each round
#   STEADY_MEASURING=1 also runs the program with A weighting, third-octave
#                     bands and the level meter on, in each round beside it
#   STEADY_DESIGN_VIEW=1 also runs the program with the waterfall as it starts
#                     (3D, -45 degree), which moves every line diagonally
#   STEADY_THREADS=1  also prints each thread's share of one core, user and
#                     kernel apart
#
# The program runs with its waterfall flat and its newest line on top, the
# way the skeleton draws it, so both do the same job; the design view's run
# is beside them, not against the skeleton.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
shift || true
settings=("$@")
[ ${#settings[@]} -gt 0 ] || settings=(44100:1024 44100:16384 22050:1024)
host=$build/bin/analyser_host
seconds=${STEADY_SECONDS:-30}
floor=$build/bin/floor_skeleton
rounds=${STEADY_ROUNDS:-2}
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }
[ -x "$floor" ] || { echo "no $floor: build the floor_skeleton target first" >&2; exit 1; }
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
# "tid thread-name user-ticks kernel-ticks", one line a thread.
thread_ticks() { for t in /proc/$1/task/*; do echo "${t##*/} $(tr ' ' _ <"$t/comm") $(sed 's/.*) //' "$t/stat" | awk '{print $12, $13}')"; done; }
hz=$(getconf CLK_TCK)

# Older hosts cannot count frames.
counting=$(grep -aq 'frames drawn so far' "$host" && echo --frames || true)

# Runs one program for the measured time; prints its line and appends
# "who rate fft cpu wakeups rss-mib frames" to $desk/figures.
measure() {
    local who=$1 rate=$2 fft=$3
    shift 3
    : >"$desk/host.out"
    "$@" --seconds $((seconds + 20)) --rate "$rate" --fft "$fft" --size 1600x1000 $counting >"$desk/host.out" 2>"$desk/host.err" &
    local app=$!
    desk_pids+=($app)
    for _ in $(seq 200); do grep -q capturing "$desk/host.out" && break; sleep 0.1; done
    grep -q capturing "$desk/host.out" || { echo "$who did not start capturing:" >&2; cat "$desk/host.err" >&2; exit 1; }
    sleep 3  # past the first frames

    if [ -n "${STEADY_PERF:-}" ]; then
        perf record -q -e cpu-clock -F 999 -g -p "$app" -o "$STEADY_PERF/perf.$who.$rate.$fft.data" -- sleep "$seconds" \
            >/dev/null 2>&1 &
        recorder=$!
    fi
    [ -z "${STEADY_THREADS:-}" ] || thread_ticks $app >"$desk/threads0"
    t0=$(date +%s.%N); c0=$(cpu_ticks $app); r0=$(rss_kb $app); w0=$(wake_ups $app); f0=$(frames)
    sleep "$seconds"
    t1=$(date +%s.%N); c1=$(cpu_ticks $app); r1=$(rss_kb $app); w1=$(wake_ups $app); f1=$(frames)
    [ -z "${STEADY_THREADS:-}" ] || thread_ticks $app >"$desk/threads1"
    [ -z "${STEADY_PERF:-}" ] || wait "$recorder" || true

    awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v r0="$r0" -v r1="$r1" -v who="$who" \
        -v rate="$rate" -v fft="$fft" -v w0="$w0" -v w1="$w1" -v f0="$f0" -v f1="$f1" -v counted="${counting:+1}" \
        -v figures="$desk/figures" 'BEGIN {
        cpu = 100 * (c1 - c0) / hz / (t1 - t0); wakes = (w1 - w0) / (t1 - t0); fps = (f1 - f0) / (t1 - t0)
        printf "%s, %d Hz, N = %d, 1600 x 1000, %.1f s\n", who, rate, fft, t1 - t0
        printf "  CPU: %.2f %% of one core\n", cpu
        printf "  VmRSS: %d kB at the start, %d kB at the end (%+d kB)\n", r0, r1, r1 - r0
        printf "  wake-ups: %.0f a second (all threads)", wakes
        if (counted) printf "; frames drawn: %.1f a second", fps
        printf "\n"
        printf "%s %d %d %.3f %.1f %.1f %.2f\n", who, rate, fft, cpu, wakes, r1 / 1024, fps >> figures
    }'
    if [ -n "${STEADY_THREADS:-}" ]; then
        # A thread born in the measured time counts from zero.
        awk -v hz="$hz" -v s="$seconds" 'NR == FNR { u[$1] = $3; k[$1] = $4; next } $3 + $4 > u[$1] + k[$1] {
            printf "  thread %-16s user %5.2f %%, kernel %5.2f %%\n", $2, 100 * ($3 - u[$1]) / hz / s, 100 * ($4 - k[$1]) / hz / s }' \
            "$desk/threads0" "$desk/threads1"
    fi
    if grep -q "^message:" "$desk/host.err"; then
        echo "  messages shown:"; grep "^message:" "$desk/host.err" | sed 's/^/    /'
    fi
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
}

: >"$desk/figures"
for setting in "${settings[@]}"; do
    rate=${setting%%:*} fft=${setting##*:}
    for round in $(seq "$rounds"); do
        measure program "$rate" "$fft" "$host" --floor-view
        areas=()
        while read -r _ name rect; do areas+=("--$name" "$rect"); done < <(grep '^area ' "$desk/host.out")
        [ "$round" -gt 1 ] || echo "floor areas: ${areas[*]}"
        measure floor "$rate" "$fft" "$floor" "${areas[@]}"
        [ -z "${STEADY_READOUTS:-}" ] || measure readouts "$rate" "$fft" "$host" --floor-view --readouts
        [ -z "${STEADY_MEASURING:-}" ] || measure measuring "$rate" "$fft" "$host" --floor-view --measuring
        [ -z "${STEADY_DESIGN_VIEW:-}" ] || measure design "$rate" "$fft" "$host"
    done
done

echo
echo "means of $rounds runs each, program against the floor skeleton:"
awk '{ k = $2 " " $3; n[$1, k]++; cpu[$1, k] += $4; w[$1, k] += $5; r[$1, k] += $6; f[$1, k] += $7; keys[k] = 1 }
END {
    printf "%-14s %-8s %8s %10s %9s %9s\n", "setting", "who", "CPU %", "wake-ups/s", "RSS MiB", "frames/s"
    for (k in keys) {
        split(k, a, " ")
        for (i = 1; i <= 5; i++) {
            who = i == 1 ? "program" : i == 2 ? "readouts" : i == 3 ? "measuring" : i == 4 ? "design" : "floor"
            if (!n[who, k]) continue
            printf "%-14s %-8s %8.2f %10.0f %9.1f %9.1f\n", a[1] " Hz " a[2], who, cpu[who, k] / n[who, k], w[who, k] / n[who, k], r[who, k] / n[who, k], f[who, k] / n[who, k]
        }
        if (n["floor", k] && cpu["floor", k] > 0)
            printf "%-14s ratio    %8.2f\n", a[1] " Hz " a[2], (cpu["program", k] / n["program", k]) / (cpu["floor", k] / n["floor", k])
        if (n["design", k] && cpu["program", k] > 0)
            printf "%-14s design view/program %6.3f\n", a[1] " Hz " a[2], (cpu["design", k] / n["design", k]) / (cpu["program", k] / n["program", k])
        if (n["readouts", k] && cpu["program", k] > 0)
            printf "%-14s readouts/program %8.3f\n", a[1] " Hz " a[2], (cpu["readouts", k] / n["readouts", k]) / (cpu["program", k] / n["program", k])
        if (n["measuring", k] && cpu["program", k] > 0)
            printf "%-14s measuring adds %+.1f %%\n", a[1] " Hz " a[2], 100 * ((cpu["measuring", k] / n["measuring", k]) / (cpu["program", k] / n["program", k]) - 1)
    }
}' "$desk/figures"
