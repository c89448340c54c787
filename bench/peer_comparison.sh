#!/usr/bin/env bash
# The analyser beside GNU Radio 3.10's Qt frequency and waterfall sinks, on
# the same private PulseAudio server and Xvfb display (bench/analyser/
# sound_desk.sh), one program at a time: 44100 Hz from the server's monitor,
# a rectangular window, an update every 20 ms, N = 1024 and 16384. Each runs
# a 6 s warm-up, then 20 s are measured from /proc of that program's own
# process (all its threads, not the sound or X server). Prints both CPU
# shares of one core, resident memory and their ratios. Installs Debian's
# gnuradio and python3-pyqt5 when missing. Not part of CI.
#
#   bench/peer_comparison.sh [build folder]     (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
host=$build/bin/analyser_host
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }
python=/usr/bin/python3
if ! $python -c 'import gnuradio.qtgui, PyQt5' >/dev/null 2>&1; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends gnuradio python3-pyqt5 >/dev/null
fi
warmup=6 seconds=20 rate=44100

source "$here/analyser/sound_desk.sh"
desk_start_sound
desk_start_display

cat >"$desk/peer.py" <<'PY'
# Audio from the default source into a frequency sink and a waterfall sink.
import sys
from PyQt5 import Qt, sip
from gnuradio import audio, gr, qtgui
from gnuradio.fft import window

rate, n = int(sys.argv[1]), int(sys.argv[2])

class Peer(gr.top_block):
    def __init__(self):
        gr.top_block.__init__(self, "peer")
        self.source = audio.source(rate, "pulse", True)
        self.freq = qtgui.freq_sink_f(n, window.WIN_RECTANGULAR, 0, rate, "", 1, None)
        self.waterfall = qtgui.waterfall_sink_f(n, window.WIN_RECTANGULAR, 0, rate, "", 1, None)
        for sink in (self.freq, self.waterfall):
            sink.set_update_time(0.02)
            self.connect(self.source, sink)

app = Qt.QApplication(sys.argv)
top = Peer()
widget = Qt.QWidget()
layout = Qt.QVBoxLayout(widget)
layout.addWidget(sip.wrapinstance(top.freq.qwidget(), Qt.QWidget))
layout.addWidget(sip.wrapinstance(top.waterfall.qwidget(), Qt.QWidget))
widget.resize(1600, 1000)
widget.show()
top.start()
print("capturing", flush=True)
app.exec_()
top.stop()
top.wait()
PY

hz=$(getconf CLK_TCK)
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }

# Runs "$@" in the background, waits for "capturing", warms up, measures;
# prints "CPU% RSS-kB".
measure() {
    : >"$desk/run.out"
    "$@" >"$desk/run.out" 2>"$desk/run.err" &
    local app=$!
    desk_pids+=($app)
    for _ in $(seq 300); do grep -q capturing "$desk/run.out" && break; sleep 0.1; done
    grep -q capturing "$desk/run.out" || { echo "$1 did not start:" >&2; cat "$desk/run.err" >&2; exit 1; }
    sleep "$warmup"
    local t0 c0 t1 c1 r
    t0=$(date +%s.%N); c0=$(cpu_ticks $app)
    sleep "$seconds"
    t1=$(date +%s.%N); c1=$(cpu_ticks $app); r=$(rss_kb $app)
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v r="$r" \
        'BEGIN { printf "%.2f %d\n", 100 * (c1 - c0) / hz / (t1 - t0), r }'
}

printf '%-6s %-12s %8s %10s\n' N program "CPU %" "VmRSS MiB"
for n in 1024 16384; do
    read -r ours_cpu ours_rss < <(measure "$host" --seconds $((warmup + seconds + 30)) --rate $rate --fft $n --size 1600x1000)
    read -r peer_cpu peer_rss < <(measure $python "$desk/peer.py" $rate $n)
    awk -v n=$n -v oc="$ours_cpu" -v orss="$ours_rss" -v pc="$peer_cpu" -v prss="$peer_rss" 'BEGIN {
        printf "%-6d %-12s %8.2f %10.1f\n", n, "vellarin", oc, orss / 1024
        printf "%-6d %-12s %8.2f %10.1f\n", n, "gnuradio", pc, prss / 1024
        printf "%-6d %-12s %8.2f %10.2f   (GNU Radio / vellarin)\n", n, "ratio", (oc > 0 ? pc / oc : 0), prss / orss
    }'
done
