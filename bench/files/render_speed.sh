#!/usr/bin/env bash
# The whole-file render against its floor and against sox, in one run:
#
#   bench/files/render_speed.sh BUILD [RUNS]
#
# Makes a 5-minute 44.1 kHz stereo FLAC (a sweep, two tones and noise, with
# sox; not kept), then times, RUNS times each (default 3), alternately:
#   floor    decoding the file with libsndfile alone (build/bin/decode_floor)
#   render   vellarin --render FILE -o out.png --fft 4096 --size 1600x800
#   sox      sox FILE -n spectrogram -x 1600 -y 800 -o out.png
# and prints each run's wall time and CPU time (user + system), the best of
# each, and the load average before and after: the machine may be shared.
# Then what each zlib level costs and saves on the rendered picture.
set -euo pipefail
build=${1:?usage: bench/files/render_speed.sh BUILD [RUNS]}
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

flac=$work/five-minutes.flac
sox -n -r 44100 -b 16 -c 2 "$flac" synth 300 sine 50-18000 sine 1000 pinknoise gain -6 remix 1,3 2,3 2>/dev/null \
  || sox -n -r 44100 -b 16 -c 2 "$flac" synth 300 sine 50-18000 sine 1000
echo "file: $(soxi -d "$flac") $(soxi -r "$flac") Hz, $(soxi -c "$flac") channels, $(du -h "$flac" | cut -f1)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"

# "WALL CPU" of a command, in seconds: CPU is user + system of all its threads.
measure() {
  local TIMEFORMAT='%R %U %S' times
  times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"$times"
}

best() { printf '%s\n' "$@" | sort -g | head -n1; }
floor=() render=() soxs=() floorCpu=() renderCpu=() soxCpu=()
for ((i = 1; i <= runs; i++)); do
  read -r f fc < <(measure "$build/bin/decode_floor" "$flac")
  read -r r rc < <(measure env QT_QPA_PLATFORM=offscreen "$build/bin/vellarin" --render "$flac" -o "$work/render.png" --fft 4096 --size 1600x800)
  read -r s sc < <(measure sox "$flac" -n spectrogram -x 1600 -y 800 -o "$work/sox.png")
  printf 'run %d: floor %.3f s (CPU %.3f s)  render %.3f s (CPU %.3f s)  sox %.3f s (CPU %.3f s)\n' \
    "$i" "$f" "$fc" "$r" "$rc" "$s" "$sc"
  floor+=("$f") render+=("$r") soxs+=("$s") floorCpu+=("$fc") renderCpu+=("$rc") soxCpu+=("$sc")
done
bf=$(best "${floor[@]}") br=$(best "${render[@]}") bs=$(best "${soxs[@]}")
printf 'best: floor %.3f s  render %.3f s (floor + %.3f s)  sox %.3f s (%.1f x the render)\n' \
  "$bf" "$br" "$(awk -v a="$br" -v b="$bf" 'BEGIN { print a - b }')" "$bs" "$(awk -v a="$bs" -v b="$br" 'BEGIN { print a / b }')"
printf 'least CPU: floor %.3f s  render %.3f s  sox %.3f s\n' \
  "$(best "${floorCpu[@]}")" "$(best "${renderCpu[@]}")" "$(best "${soxCpu[@]}")"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
# What the picture's zlib level costs and saves.
[ ! -x "$build/bin/png_levels" ] || "$build/bin/png_levels" "$work/render.png"
[ -z "${KEEP_PICTURE:-}" ] || cp "$work/render.png" "$KEEP_PICTURE"
