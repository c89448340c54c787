#!/usr/bin/env bash
# Pictures for the documentation: the window playing a sound file (its
# transport strip under the chart) and a whole-file render, both of a
# sweep over a steady 1 kHz tone made with sox.
#
#   bench/files/screenshots.sh OUTPUT-FOLDER [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
build=$(cd "${2:-$here/../../build}" && pwd)
vellarin=$build/bin/vellarin
[ -x "$vellarin" ] || { echo "no $vellarin: build the vellarin target first" >&2; exit 1; }

work=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap finish EXIT

sox -n -r 44100 -b 16 -c 2 "$work/sweep.wav" synth 20 sine 50:16000 sine 1000 vol 0.4 remix 1,2
"$vellarin" --render "$work/sweep.wav" -o "$out/vellarin-render.png" --size 1200x600

source "$here/../analyser/sound_desk.sh"
desk_pids=()
desk_start_display
pids+=("${desk_pids[@]}")
export XDG_CONFIG_HOME=$work/config
"$vellarin" --defaults --scaling log "$work/sweep.wav" &
pids+=($!)
sleep 4
# Without a sound server the window says there is no microphone first.
xdotool key Return || true
sleep 5
window=$(xdotool search --onlyvisible --class vellarin | tail -1)
import -window "$window" "$out/vellarin-file-input.png"
ls "$out"
