#!/usr/bin/env bash
# Pictures of the analyser window capturing a sweep, in each frequency
# scaling and in several waterfall directions, saved as PNG files.
#
#   bench/analyser/screenshots.sh OUTPUT-FOLDER [build folder] [FFT size]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
build=$(cd "${2:-$here/../../build}" && pwd)
host=$build/bin/analyser_host
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }

source "$here/sound_desk.sh"
desk_start_sound 4
desk_start_display
"$host" --seconds 60 --rate 44100 --fft "${3:-4096}" --size 1200x860 --shots "$out"
ls "$out"
