#!/usr/bin/env bash
# A picture of the open Input Source list, on a private sound server with
# two outputs of similar names besides its null sink, so their monitors show
# under their whole descriptions.
#
#   bench/analyser/sources_screenshot.sh OUTPUT.png [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
build=$(cd "${2:-$here/../../build}" && pwd)
host=$build/bin/analyser_host
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }

source "$here/sound_desk.sh"
desk_start_sound 4
for n in 2 3; do
    pactl load-module module-null-sink sink_name=hdmi$n \
        "sink_properties='device.description=\"Built-in Audio Digital Stereo (HDMI $n) Output\"'" >/dev/null
done
desk_start_display
"$host" --show-sources --seconds 6 --size 1200x860 >"$desk/host.out" &
desk_pids+=($!)
for _ in $(seq 100); do grep -q "sources open" "$desk/host.out" && break; sleep 0.1; done
sleep 0.5
import -window root -crop 1200x420+0+0 "$out"
echo "$out"
