#!/usr/bin/env bash
# Pictures of the program's extras, taken as a user would get them: the
# program records a private PulseAudio server's sweep in a 1200 x 860 window
# under Xvfb; the frequency labels' context menu is opened and peak hold
# switched on from it, and once the sweep has passed the window is saved.
# Needs xdotool (installed here when missing) and ImageMagick's import.
#
#   bench/analyser/extras_screenshots.sh OUTPUT-FOLDER [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
build=$(cd "${2:-$here/../../build}" && pwd)
command -v xdotool >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q xdotool >/dev/null

source "$here/sound_desk.sh"
desk_start_sound 6
desk_start_display
export XDG_CONFIG_HOME=$desk/config  # leaves the user's remembered settings alone
"$build/bin/vellarin" --defaults --device Default --rate 44100 --fft 4096 --scaling log --start >"$desk/vellarin.out" 2>&1 &
desk_pids+=($!)
sleep 4
xdotool windowsize "$(xdotool search --onlyvisible --class vellarin | head -1)" 1200 860
sleep 1
# The high frequency label, then the menu's last item.
xdotool mousemove 990 318 click 3
sleep 1
import -window root -crop 1400x860+0+0 "$out/extras-menu.png"
xdotool mousemove 1064 416 click 1
sleep 8
import -window root -crop 1200x860+0+0 "$out/peak-hold.png"
ls "$out"
