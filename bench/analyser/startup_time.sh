#!/usr/bin/env bash
# From launch to the first trace on the chart: `vellarin --start` at
# 44100 Hz and N = 1024 on an Xvfb display, recording a private sound
# server's sweep, launched RUNS times (5 unless given); prints each time and
# the median in milliseconds, and of each the window's share: from launch
# until Start has returned (the rest is the sound device's first buffers).
#
#   bench/analyser/startup_time.sh [build folder] [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
runs=${2:-5}
program=$build/bin/vellarin
[ -x "$program" ] || { echo "no $program: build the vellarin target first" >&2; exit 1; }

source "$here/sound_desk.sh"
# A player at a desktop's latency, so the monitor's first block is not
# paplay's own 2 s (DESK_PLAYER_LATENCY_MSEC= on the command line measures that).
export DESK_PLAYER_LATENCY_MSEC=${DESK_PLAYER_LATENCY_MSEC-20}
desk_start_sound 4
desk_start_display
export XDG_CONFIG_HOME=$desk/config VELLARIN_FIRST_TRACE_MARK=1

times=()
windows=()
for ((run = 1; run <= runs; run++)); do
  log=$desk/run-$run.log
  launched=$(date +%s%3N)
  "$program" --defaults --start --rate 44100 --fft 1024 2>"$log" &
  pid=$!
  for _ in $(seq 200); do grep -q '^first trace at ' "$log" && break; sleep 0.05; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  shown=$(sed -n 's/^first trace at //p' "$log")
  started=$(sed -n 's/^capture started at //p' "$log")
  [ -n "$shown" ] && [ -n "$started" ] || { echo "run $run: no trace within 10 s" >&2; cat "$log" >&2; exit 1; }
  times+=($((shown - launched)))
  windows+=($((started - launched)))
  echo "run $run: first trace after $((shown - launched)) ms, capture started after $((started - launched)) ms"
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
echo "median of $runs: first trace after $(median "${times[@]}") ms, capture started after $(median "${windows[@]}") ms"
