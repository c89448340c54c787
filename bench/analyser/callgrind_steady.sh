#!/usr/bin/env bash
# Instructions per drawn frame of the whole program, every thread, against
# the floor skeleton's, both recording a sweep from the private sound server
# into their windows under Xvfb (the same desk as steady_capture.sh). A count
# is repeatable where a CPU share on a shared machine is not; it leaves out
# the kernel and the time lost waiting for memory, which the CPU share has.
# Each runs under callgrind, counted for S seconds once its first frames
# are past; then the functions that cost the program most, inclusive.
#
#   bench/analyser/callgrind_steady.sh [build folder] [N]     (default: build, 1024)
#   CALLGRIND_SECONDS=S counts S seconds instead of ten
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
fft=${2:-1024}
seconds=${CALLGRIND_SECONDS:-10}
for tool in valgrind callgrind_control callgrind_annotate; do
    command -v $tool >/dev/null || { echo "$tool is missing: apt-get install valgrind" >&2; exit 1; }
done

source "$here/sound_desk.sh"
desk_start_sound
desk_start_display

# Frames counted: each drawn frame is one FFT, in the program as in the
# skeleton, so the calls into FFTW's execute functions count them.
frames_counted() {
    awk '/^c?fn=\([0-9]+\)/ {
            match($0, /\(([0-9]+)\)/); id = substr($0, RSTART + 1, RLENGTH - 2)
            rest = substr($0, RSTART + RLENGTH); sub(/^ /, "", rest)
            if (rest != "") name[id] = rest
            if ($0 ~ /^cfn=/) callee = id
         }
         /^calls=/ { split($0, a, /[= ]/); if (name[callee] ~ /^fftw_execute/) n += a[2] }
         END { print n + 0 }' "$1"
}

# Prints "instructions frames" of one program's counted seconds.
count() {
    local who=$1
    shift
    : >"$desk/host.out"
    valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$desk/cg.$who" \
        "$@" --seconds $((seconds + 60)) --rate 44100 --fft "$fft" --size 1600x1000 \
        >"$desk/host.out" 2>"$desk/valgrind.$who" &
    local app=$!
    desk_pids+=($app)
    for _ in $(seq 600); do grep -q capturing "$desk/host.out" && break; sleep 0.1; done
    grep -q capturing "$desk/host.out" || { echo "$who did not start capturing" >&2; exit 1; }
    sleep 8  # past start-up and the first frames, slower under callgrind
    callgrind_control -i on $app >/dev/null 2>&1
    sleep "$seconds"
    callgrind_control -i off $app >/dev/null 2>&1
    callgrind_control -d $app >/dev/null 2>&1
    sleep 2
    kill $app 2>/dev/null || true
    wait $app 2>/dev/null || true
    local total
    total=$(callgrind_annotate "$desk/cg.$who.1" 2>/dev/null | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}')
    echo "$total $(frames_counted "$desk/cg.$who.1")"
}

read -r program_ir program_frames < <(count program "$build/bin/analyser_host" --floor-view)
areas=()
while read -r _ name rect; do areas+=("--$name" "$rect"); done < <(grep '^area ' "$desk/host.out")
read -r floor_ir floor_frames < <(count floor "$build/bin/floor_skeleton" "${areas[@]}")

echo "44100 Hz, N = $fft, $seconds s counted"
awk -v pi="$program_ir" -v pf="$program_frames" -v fi="$floor_ir" -v ff="$floor_frames" 'BEGIN {
    printf "%-9s %14s %7s %16s\n", "who", "instructions", "frames", "per frame"
    printf "%-9s %14d %7d %16.0f\n", "program", pi, pf, pi / pf
    printf "%-9s %14d %7d %16.0f\n", "skeleton", fi, ff, fi / ff
    printf "ratio %.2f\n", (pi / pf) / (fi / ff)
}'
echo
echo "the program's costliest calls, inclusive, per frame:"
callgrind_annotate --inclusive=yes "$desk/cg.program.1" 2>/dev/null |
    grep -vE 'thunk|invokeFromTable|QFunctorSlotObject|table::\{lambda' |
    awk -v n="$program_frames" '/(trazel|cascadra|fourel|vellarin)::/ && /\[/ && !seen[$0]++ {
        v = $1; gsub(",", "", v); name = $0; sub(/^ *[0-9,]+ *(\([^)]*\))? */, "", name); sub(/ \[.*/, "", name); sub(/^[^:]*:/, "", name)
        if (++shown <= 14) printf "%10.0f  %s\n", v / n, substr(name, 1, 110) }'
