#!/usr/bin/env bash
# Pictures of the program's extras, taken as a user would get them: the
# program records a private PulseAudio server's sweep in a 1200 x 860 window
# under Xvfb; the frequency labels' context menu is opened and peak hold
# switched on from it, and once the sweep has passed the window is saved.
# Then, by their keys: the scales with the Blackman-Harris window; the peak
# readout with Fast averaging on a steady tone of 990.6 Hz; and Help, the
# list of keys and gestures above its About window (opened from the menu).
# Last, from the menu's keys, on a plucked string of C4 played over and
# over: the peak and pitch readout, the ruler in dBFS, and the note grid.
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
sweep_player=${desk_pids[-1]}
desk_start_display
export XDG_CONFIG_HOME=$desk/config  # leaves the user's remembered settings alone
"$build/bin/vellarin" --defaults --device Default --rate 44100 --fft 4096 --scaling log --start >"$desk/vellarin.out" 2>&1 &
desk_pids+=($!)
sleep 4
main=$(xdotool search --onlyvisible --class vellarin | head -1)
xdotool windowsize "$main" 1200 860
sleep 1
# The high frequency label, then the menu's peak hold item.
xdotool mousemove 990 318 click 3
sleep 1
import -window root -crop 1400x860+0+0 "$out/extras-menu.png"
xdotool mousemove 1064 416 click 1
sleep 8
import -window root -crop 1200x860+0+0 "$out/peak-hold.png"

# Peak hold off; the scales on and a window against the sweep's skirts. The
# window grows by the scales' strips.
xdotool key ctrl+p ctrl+l ctrl+w ctrl+w
sleep 7
geometry=$(xdotool getwindowgeometry --shell "$main")
eval "$geometry"
import -window root -crop "${WIDTH}x${HEIGHT}+0+0" "$out/scales.png"

# A steady tone instead of the sweep, read by the peak readout.
# The player loop and the player it started, by their ids.
kill "$sweep_player" $(pgrep -P "$sweep_player" || true)
sox -n -r 44100 -c 1 -b 16 "$desk/tone.wav" synth 10 sine 990.6 vol 0.25
(while true; do paplay -d t "$desk/tone.wav" 2>/dev/null || sleep 1; done) &
desk_pids+=($!)
xdotool key ctrl+n ctrl+t
sleep 5
eval "$(xdotool getwindowgeometry --shell "$main")"
import -window root -crop "${WIDTH}x${HEIGHT}+0+0" "$out/peak-readout.png"

# Help: the keys list from F1, and About from the menu's last item (the
# labels now lie lower and further right, by the scales' strips), one
# above the other.
xdotool key F1
sleep 1
xdotool mousemove 1030 336 click 3
sleep 1
xdotool key Up Right Down Return
sleep 1
keys=$(xdotool search --onlyvisible --name "Keys and Mouse" | head -1)
about=$(xdotool search --onlyvisible --name "About Vellarin" | head -1)
# Apart, so neither hides part of the other.
xdotool windowmove "$keys" 0 0 windowmove "$about" 1500 0
sleep 1
import -window "$keys" "$desk/keys.png"
import -window "$about" "$desk/about.png"
convert "$desk/keys.png" "$desk/about.png" -background white -gravity west -append "$out/help.png"
xdotool windowclose "$keys" windowclose "$about" 2>/dev/null || true
sleep 1

# A plucked string instead of the tone: C4, each pluck dying away in two seconds.
kill "${desk_pids[-1]}" $(pgrep -P "${desk_pids[-1]}" || true)
sox -n -r 44100 -c 1 -b 16 "$desk/pluck.wav" synth 2 pluck 261.63 vol 0.5
(while true; do paplay -d t "$desk/pluck.wav" 2>/dev/null || sleep 1; done) &
desk_pids+=($!)
# Averaging off again (Fast, Slow, off), so the readout follows each pluck.
xdotool key ctrl+t ctrl+t
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
import -window root -crop "${WIDTH}x${HEIGHT}+0+0" "$out/pitch-readout.png"

# The menu from the keyboard: from its last item (Help) up to Note Grid, and
# one further to the Level Unit choices, of which dBFS is the second.
menu_item() {
    xdotool mousemove 1030 336 click 3
    sleep 1
    xdotool key "$@"
    sleep 2
}
menu_item Up Up Up Right Down Return
eval "$(xdotool getwindowgeometry --shell "$main")"
import -window root -crop "${WIDTH}x${HEIGHT}+0+0" "$out/dbfs-ruler.png"
menu_item Up Up Return
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
import -window root -crop "${WIDTH}x${HEIGHT}+0+0" "$out/note-grid.png"
ls "$out"
