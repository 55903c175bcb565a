#!/usr/bin/env bash
# The plug-in's throughput and memory on the generated job and the worst case for its point
# table, for the Linux build and, when it is built, the Windows build under Wine, in one run so
# that the figures can be compared as ratios on a busy machine.
#
#   bench/run-plugin-bench.sh [--rows N] [--points-bytes B] [--rounds R] [--work DIR]
#                             [--compare LIBRARY]
#
#   --rows N          rows of the job's POINTS and SLOPE tables (default 500000, ~69 MB)
#   --points-bytes B  size of the points-only file (default 100000000)
#   --rounds R        rounds of each reader (default 3; the best is shown)
#   --work DIR        where the files go (default: a temporary directory)
#   --compare LIBRARY another build's liborva.so: its figures are taken in the same run as
#                     "before", and the record listings of both (orva_chost --records) must be
#                     equal on jobs cut at every kind of separator, their fields quoted, escaped
#                     and padded in every way; the script fails when they differ
#
# Builds used: build/linux-release (bin/orva_bench) and build/windows (bin/orva_bench.exe).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rows=500000
points_bytes=100000000
rounds=3
work=""
compare=""
while [ $# -gt 0 ]; do
    case "$1" in
    --rows) rows=$2; shift 2 ;;
    --points-bytes) points_bytes=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --compare) compare=$2; shift 2 ;;
    *) echo "run-plugin-bench.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
linux="$here/build/linux-release/bin/orva_bench"
windows="$here/build/windows/bin/orva_bench.exe"
[ -x "$linux" ] || { echo "run-plugin-bench.sh: $linux is missing; build linux-release" >&2; exit 2; }

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.1f GB", $2 / 1e6}' /proc/meminfo)," \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
python3 "$here/bench/generate-job.py" --rows "$rows" "$work/job.idx" 2>/dev/null
python3 "$here/bench/generate-job.py" --points-only --bytes "$points_bytes" "$work/points.idx" 2>/dev/null

cd "$work"
if [ -n "$compare" ]; then
    chost="$here/build/linux-release/bin/orva_chost"
    new_library="$here/build/linux-release/bin/liborva.so"
    echo "== the same records from $compare and $new_library"
    # Comma, semicolon (also the terminator), bar, blank, tab and a separator above ASCII.
    for separator in , ';' '|' ' ' $'\t' $'\xa7'; do
        python3 "$here/bench/generate-job.py" --rows 20000 --varied --separator \
            "$(printf '%s' "$separator" | iconv -f latin1 -t utf-8)" varied.idx 2>/dev/null
        "$chost" "$compare" --records varied.idx job.idx >before.txt
        "$chost" "$new_library" --records varied.idx job.idx >after.txt
        if ! cmp -s before.txt after.txt; then
            echo "run-plugin-bench.sh: the records differ with separator '$separator':" >&2
            diff before.txt after.txt | head -20 >&2
            exit 1
        fi
        echo "separator $(printf '%q' "$separator"): $(wc -l <after.txt) records, equal"
    done
    echo "== before ($compare)"
    "$linux" --plugin "$compare" --rounds "$rounds" job.idx points.idx
fi
echo "== linux ($linux)"
"$linux" --rounds "$rounds" job.idx points.idx
if [ -e "$windows" ]; then
    echo "== windows under Wine ($windows)"
    "$here/tools/wine-run" "$windows" --rounds "$rounds" job.idx points.idx
else
    echo "== windows: $windows is not built; skipped"
fi
