#!/usr/bin/env bash
# A long session: the analyser window (1600 x 1000, under Xvfb) records a
# private PulseAudio server's sweep at 44100 Hz with N = 1024, moving on to
# the next scaling and waterfall direction every minute. Each minute it
# prints the process's resident memory and its share of one core over that
# minute; at the end, how far resident memory moved after the first minute.
#
#   bench/analyser/soak.sh [build folder] [minutes]     (default: build, 60)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
minutes=${2:-60}
host=$build/bin/analyser_host
[ -x "$host" ] || { echo "no $host: build the analyser_host target first" >&2; exit 1; }

source "$here/sound_desk.sh"
desk_start_sound
desk_start_display

"$host" --seconds $((minutes * 60 + 30)) --rate 44100 --fft 1024 --size 1600x1000 --cycle 60 \
    >"$desk/host.out" 2>"$desk/host.err" &
app=$!
desk_pids+=($app)
for _ in $(seq 200); do grep -q capturing "$desk/host.out" && break; sleep 0.1; done
grep -q capturing "$desk/host.out" || { echo "the analyser did not start capturing:" >&2; cat "$desk/host.err" >&2; exit 1; }

cpu_ticks() { sed 's/.*) //' "/proc/$app/stat" | awk '{print $12 + $13}'; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$app/status"; }
hz=$(getconf CLK_TCK)

echo "minute  VmRSS kB  CPU % of one core  setting"
c0=$(cpu_ticks); t0=$(date +%s.%N)
rss=()
for minute in $(seq "$minutes"); do
    sleep 60
    kill -0 "$app" 2>/dev/null || { echo "the analyser ended early:" >&2; cat "$desk/host.err" >&2; exit 1; }
    c1=$(cpu_ticks); t1=$(date +%s.%N); r=$(rss_kb)
    rss+=("$r")
    setting=$(grep '^turn' "$desk/host.out" | tail -1 | cut -d: -f2)
    awk -v m="$minute" -v r="$r" -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v s="$setting" \
        'BEGIN { printf "%6d  %8d  %17.2f %s\n", m, r, 100 * (c1 - c0) / hz / (t1 - t0), s }'
    c0=$c1; t0=$t1
done

printf '%s\n' "${rss[@]:1}" | sort -n | awk -v first="${rss[0]}" '
    NR == 1 { low = $1 } { high = $1 }
    END { printf "resident memory after the first minute: %d..%d kB (first minute %d kB), spread %d kB\n", low, high, first, high - low }'
if grep -q "^message:" "$desk/host.err"; then
    echo "messages shown:"; grep "^message:" "$desk/host.err" | sed 's/^/  /'
fi
