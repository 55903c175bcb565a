#!/usr/bin/env bash
# The plug-in's throughput and memory on the generated job and the worst case for its point
# table, for the Linux build and, when it is built, the Windows build under Wine, in one run so
# that the figures can be compared as ratios on a busy machine.
#
#   bench/run-plugin-bench.sh [--rows N] [--points-bytes B] [--rounds R] [--work DIR]
#
#   --rows N          rows of the job's POINTS and SLOPE tables (default 500000, ~69 MB)
#   --points-bytes B  size of the points-only file (default 100000000)
#   --rounds R        rounds of each reader (default 3; the best is shown)
#   --work DIR        where the files go (default: a temporary directory)
#
# Builds used: build/linux-release (bin/orva_bench) and build/windows (bin/orva_bench.exe).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rows=500000
points_bytes=100000000
rounds=3
work=""
while [ $# -gt 0 ]; do
    case "$1" in
    --rows) rows=$2; shift 2 ;;
    --points-bytes) points_bytes=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
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
echo "== linux ($linux)"
"$linux" --rounds "$rounds" job.idx points.idx
if [ -e "$windows" ]; then
    echo "== windows under Wine ($windows)"
    "$here/tools/wine-run" "$windows" --rounds "$rounds" job.idx points.idx
else
    echo "== windows: $windows is not built; skipped"
fi
