# Sourced by the analyser's bench scripts: a private PulseAudio server whose
# null sink "t" plays a sweep that its monitor (the default source) records,
# and an Xvfb display for the window. Everything started here is ended by
# pid when the script exits.

desk=$(mktemp -d)
desk_pids=()
desk_cleanup() {
    for ((i = ${#desk_pids[@]} - 1; i >= 0; i--)); do kill "${desk_pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$desk"
}
trap desk_cleanup EXIT

# The server alone, its null sink "t" the default output.
desk_start_server() {
    mkdir -p "$desk/run"
    HOME=$desk XDG_RUNTIME_DIR=$desk/run PULSE_RUNTIME_PATH=$desk/run \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=true \
        --load="module-null-sink sink_name=t rate=44100" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$desk/run/native" >"$desk/server.log" 2>&1 &
    desk_pids+=($!)
    export PULSE_SERVER=unix:$desk/run/native HOME=$desk
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
}

desk_start_sound() {
    desk_start_server
    pactl set-default-source t.monitor
    # The null sink clocks the player at real-time pace, in blocks as long as
    # the player's latency: paplay asks for 2 s unless DESK_PLAYER_LATENCY_MSEC
    # sets what a desktop's player or PipeWire's quantum would (about 20 ms),
    # and a new recording on the monitor waits out the block in flight.
    sox -n -r 44100 -c 1 -b 16 "$desk/sweep.wav" synth "${1:-10}" sine 100-15000 vol 0.5
    local latency=()
    [ -z "${DESK_PLAYER_LATENCY_MSEC:-}" ] || latency=(--latency-msec="$DESK_PLAYER_LATENCY_MSEC")
    (while true; do paplay "${latency[@]}" -d t "$desk/sweep.wav" 2>/dev/null || sleep 1; done) &
    desk_pids+=($!)
}

desk_start_display() {
    local display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
    desk_pids+=($!)
    export DISPLAY=:$display QT_QPA_PLATFORM=xcb
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
}
