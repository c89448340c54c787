#!/usr/bin/env bash
# One tick's time on a real X11 display (Xvfb), where the X server moves the
# waterfall's area; the benchmark run alone uses the offscreen platform,
# where the program moves it itself, as under Wayland.
#
#   bench/analyser/tick_x11.sh [build folder] [benchmark options...]
#       (default: build, N = 1024 and 16384, every scaling)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
shift || true
bench=$build/bin/bench_analyser_tick
[ -x "$bench" ] || { echo "no $bench: build the bench_analyser_tick target first" >&2; exit 1; }
[ $# -gt 0 ] || set -- --benchmark_filter='tick/N:(1024|16384)/'

source "$here/sound_desk.sh"
desk_start_display
"$bench" "$@"
