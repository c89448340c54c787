#!/usr/bin/env bash
# How far apart hearing and seeing are while a sound file is listened to:
#
#   bench/files/playback_offset.sh BUILD [BURSTS]
#
# A private PulseAudio server whose null sink "t" is the default output; a
# file of BURSTS (default 8) tone bursts of 50 ms at 1 kHz, one a second,
# played through the window (BUILD/bin/listen_host on an Xvfb display) with
# Listen on. Meanwhile the sink's monitor is recorded and each burst's onset
# timed as it arrives (the wall clock at the read, less the samples after the
# onset); the window prints the wall clock at the paint of the first frame
# that shows each burst. Prints each burst's offset (drawn less heard), then
# the mean and the worst. The monitor's own latency (5 ms fragments) makes a
# burst look heard a few milliseconds late, so the offsets lean low by that.
set -euo pipefail
build=$(cd "${1:?usage: bench/files/playback_offset.sh BUILD [BURSTS]}" && pwd)
bursts=${2:-8}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../analyser/sound_desk.sh
source "$here/../analyser/sound_desk.sh"

desk_start_server
desk_start_display

python3 - "$desk/bursts.wav" "$bursts" <<'PY'
import math, struct, sys, wave
path, bursts, rate = sys.argv[1], int(sys.argv[2]), 44100
samples = [0] * (rate * (bursts + 1))
for b in range(bursts):
    onset = rate // 2 + b * rate
    for i in range(rate // 20):
        samples[onset + i] = int(16000 * math.sin(2 * math.pi * 1000 * i / rate))
with wave.open(path, "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
    w.writeframes(struct.pack("<%dh" % len(samples), *samples))
PY

cat >"$desk/onsets.py" <<'PY'
# Records the monitor for SECONDS and prints when each burst's onset was heard.
import os, struct, subprocess, sys, time
seconds, threshold, rate = float(sys.argv[1]), 8000, 44100
recorder = subprocess.Popen(["parec", "-d", "t.monitor", "--raw", "--format=s16le", "--channels=1",
                             "--rate=%d" % rate, "--latency-msec=5"], stdout=subprocess.PIPE)
end, quiet, rest = time.time() + seconds, rate, b""
while time.time() < end:
    data = os.read(recorder.stdout.fileno(), 2048)
    now = time.time() * 1000
    if not data:
        break
    data, rest = rest + data, b""
    if len(data) % 2:
        data, rest = data[:-1], data[-1:]
    block = struct.unpack("<%dh" % (len(data) // 2), data)
    for i, v in enumerate(block):
        if abs(v) > threshold:
            if quiet >= rate // 2:
                print("burst heard at %.1f" % (now - (len(block) - i) * 1000 / rate), flush=True)
            quiet = 0
        else:
            quiet += 1
recorder.terminate()
PY
python3 "$desk/onsets.py" "$((bursts + 4))" >"$desk/heard.txt" &
desk_pids+=($!)
sleep 1
"$build/bin/listen_host" "$desk/bursts.wav" >"$desk/drawn.txt" 2>"$desk/host.log" || true
wait "${desk_pids[-1]}" || true
grep -q '^listening' "$desk/drawn.txt" || { cat "$desk/drawn.txt" "$desk/host.log"; exit 1; }

python3 - "$desk/heard.txt" "$desk/drawn.txt" <<'PY'
import sys
heard = [float(l.split()[-1]) for l in open(sys.argv[1]) if l.startswith("burst heard")]
drawn = [float(l.split()[-1]) for l in open(sys.argv[2]) if l.startswith("burst drawn")]
if not heard or len(heard) != len(drawn):
    sys.exit("bursts heard: %d, drawn: %d" % (len(heard), len(drawn)))
offsets = [d - h for h, d in zip(heard, drawn)]
for n, o in enumerate(offsets, 1):
    print("burst %d: drawn %+.1f ms after it was heard" % (n, o))
print("offset: mean %+.1f ms, worst %+.1f ms over %d bursts (target 50 ms)"
      % (sum(offsets) / len(offsets), max(offsets, key=abs), len(offsets)))
PY
