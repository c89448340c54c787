#!/usr/bin/env bash
# Pictures of measuring, taken as a user would get them: a private
# PulseAudio server plays pink noise, or a 1 kHz tone at -20 dBFS as a
# calibrator would, and the program records its monitor in a 1200 x 860
# window under Xvfb, with the choices remembered as a user left them:
#   measure-thirds.png  third-octave bands, A-weighted, with the level meter, on pink noise
#   measure-octaves.png octave bands, Z, on pink noise
#   measure-meter.png   the spectrum of the 1 kHz tone, C-weighted, with the meter and scales
#
#   bench/analyser/measurement_screenshots.sh OUTPUT-FOLDER [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
build=$(cd "${2:-$here/../../build}" && pwd)

source "$here/sound_desk.sh"
desk_start_sound 6
sweep_player=${desk_pids[-1]}
kill "$sweep_player" $(pgrep -P "$sweep_player" || true)
sox -n -r 44100 -c 1 -b 16 "$desk/pink.wav" synth 30 pinknoise vol 0.5
sox -n -r 44100 -c 1 -b 16 "$desk/tone.wav" synth 30 sine 1000 vol 0.1
desk_start_display
export XDG_CONFIG_HOME=$desk/config  # leaves the user's remembered settings alone

# One picture: what plays, the remembered choices, the file.
shoot() {
    local sound=$1 choices=$2 name=$3
    (while true; do paplay -d t "$desk/$sound" 2>/dev/null || sleep 1; done) &
    local player=$!
    mkdir -p "$XDG_CONFIG_HOME/vellarin"
    printf '[General]\n%b' "$choices" >"$XDG_CONFIG_HOME/vellarin/vellarin.conf"
    "$build/bin/vellarin" --device Default --rate 44100 --fft 16384 --scaling log --start >"$desk/vellarin.out" 2>&1 &
    local program=$!
    sleep 4
    local main
    main=$(xdotool search --onlyvisible --class vellarin | head -1)
    xdotool windowsize "$main" 1200 860
    sleep 6
    eval "$(xdotool getwindowgeometry --shell "$main")"
    import -window root -crop "${WIDTH}x${HEIGHT}+0+0" "$out/$name"
    kill "$program" "$player" $(pgrep -P "$player" || true)
    wait "$program" 2>/dev/null || true
}

command -v xdotool >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q xdotool >/dev/null
shoot pink.wav 'weighting=A\nbands=third\nmeter=true\naveraging=slow\nwindowFunction=hann\n' measure-thirds.png
shoot pink.wav 'weighting=\nbands=octave\nmeter=false\naveraging=slow\nwindowFunction=hann\n' measure-octaves.png
shoot tone.wav 'weighting=C\nbands=\nmeter=true\nscales=true\nwindowFunction=flat-top\n' measure-meter.png
ls "$out"
