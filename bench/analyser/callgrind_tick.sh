#!/usr/bin/env bash
# Instructions per tick under callgrind: repeatable on a loaded machine,
# where the tick benchmark's times are not. Counts only inside
# Form1::timerTick and divides by the ticks that drew a frame. A plan that
# FFTW makes inside a tick (the first frame of a size, in older builds) is a
# one-off and left out.
#
#   bench/analyser/callgrind_tick.sh [build folder] [N...]     (default: build, 1024 16384)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
shift || true
sizes=("${@:-1024 16384}")
bench=$build/bin/bench_analyser_tick
[ -x "$bench" ] || { echo "no $bench: build the bench_analyser_tick target first" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
names=(standard logarithmic full-fit)
printf '%-6s %-12s %14s %7s %14s\n' N scaling instructions frames per-frame
for n in ${sizes[*]}; do
    for scaling in 0 1 2; do
        QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind --callgrind-out-file="$out/cg.$n.$scaling" \
            --toggle-collect='vellarin::Form1::timerTick()' \
            "$bench" --benchmark_filter="tick/N:$n/scaling:$scaling/" >/dev/null 2>"$out/log"
        # The tree view prints the calls into drawFrame beside its inclusive count.
        callgrind_annotate --inclusive=yes --tree=calling "$out/cg.$n.$scaling" 2>/dev/null |
            awk -v n="$n" -v s="${names[$scaling]}" '
                # Newer callgrind_annotate prints a share after the count and
                # the arguments of drawFrame: both forms are read.
                /^ *[0-9,]+ (\([^)]*\) +)?\*  .*vellarin::Form1::timerTick\(\)/ && !total { t = $1; gsub(",", "", t); total = t }
                /=> .*vellarin::Form1::drawFrame\((int)?\) \([0-9]+x\)/ && !calls { c = $0; sub(/.*drawFrame\((int)?\) \(/, "", c); sub(/x\).*/, "", c); calls = c }
                /^ *[0-9,]+ (\([^)]*\) +)?\*  .*fftw_plan_dft_1d / && !plans { p = $1; gsub(",", "", p); plans = p }
                END { total -= plans; printf "%-6s %-12s %14d %7d %14d\n", n, s, total, calls, calls ? total / calls : 0 }'
    done
done
