#!/usr/bin/env bash
# Throughput and peak memory of orva-import on a generated job, as ratios that hold on a busy
# machine: each figure is set beside baselines measured in the same run on the same file.
#
#   bench/run-host-bench.sh [--rows N] [--points-bytes B] [--build DIR] [--compare DIR]
#                           [--rounds R] [--work DIR]
#
#   --rows N          rows of the POINTS and SLOPE tables of the job (default 500000, ~69 MB)
#   --points-bytes B  also measure the worst case for the point table: B bytes of POINTS rows
#                     (default 0: skipped; 100000000 for the full figure)
#   --build DIR       build directory with bin/orva-import, bin/liborva.so and
#                     bench/orva_discard_import (default build/linux-release)
#   --compare DIR     also runs the orva-import of another build (an older commit's) on the
#                     same files, just after this one's, for a before and after of one run
#   --rounds R        imports each file to JSON and CSV R times (default 1), this build's and the
#                     compared one's in turn, so that a shared machine's bursts touch both
#   --work DIR        where the job and the outputs go (default: a temporary directory)
#
# For each file it prints one line per run: seconds, MB/s of the input, the processor time of all
# its threads (orva-import writes a file's outputs on a second thread when a core is free), peak
# RSS in MB and as a multiple of the file size. The runs are
#   wc -l                 reading the file once (the floor of any importer)
#   python3 csv           a naive CSV reader of the same file in Python
#   discard               the plug-in into a receiver that only counts (the plug-in's share)
#   json, csv             orva-import to /dev/null and to a directory
#   geojson, svg          orva-import's two outputs that place stations and targets by name
#   json -j 1, json -j N  after the file: the same number of rows in 8 files, imported to
#                         /dev/null with one job and with one a core
# The host's share is the difference between a json/csv line and the discard line.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rows=500000
points_bytes=0
build="$here/build/linux-release"
compare=""
rounds=1
work=""
while [ $# -gt 0 ]; do
    case "$1" in
    --rows) rows=$2; shift 2 ;;
    --points-bytes) points_bytes=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --compare) compare=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "run-host-bench.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
program="$build/bin/orva-import"
plugin="$build/bin/liborva.so"
discard="$build/bench/orva_discard_import"
for tool in "$program" "$plugin" "$discard" ${compare:+"$compare/bin/orva-import"}; do
    [ -e "$tool" ] || { echo "run-host-bench.sh: $tool is missing; build the preset first" >&2; exit 2; }
done

# One measured run: its label, then the command. Prints the figures; fails when the run fails.
measure() {
    local label=$1 size=$2
    shift 2
    # Wall time to the microsecond from the shell's clock: time's own is to the hundredth, too
    # coarse for runs of a few tenths of a second.
    local started=$EPOCHREALTIME
    if ! /usr/bin/time -f '%M %U %S' -o "$work/time" "$@" >"$work/stdout" 2>"$work/stderr"; then
        echo "run-host-bench.sh: $label failed:" >&2
        cat "$work/stderr" >&2
        exit 1
    fi
    local seconds
    seconds=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
    read -r kilobytes user system <"$work/time"
    awk -v label="$label" -v s="$seconds" -v kb="$kilobytes" -v size="$size" \
        -v cpu="$(awk -v u="$user" -v y="$system" 'BEGIN { print u + y }')" 'BEGIN {
        mb = size / 1e6; rss = kb * 1024 / 1e6;
        printf "  %-17s %7.3f s %8.1f MB/s %7.2f s cpu %8.1f MB RSS %6.2f x file\n",
               label, s, (s > 0 ? mb / s : 0), cpu, rss, rss / mb }'
}

# The naive baseline: every row split on commas, nothing kept.
naive_csv='import csv, sys
rows = 0
with open(sys.argv[1], newline="") as f:
    for row in csv.reader(f):
        rows += 1
print(rows)'

# The file, then the counts the import must give.
# orva-import of one build to JSON, CSV, GeoJSON and SVG; the CSV must hold every point.
import_file() {
    local suffix=$1 importer=$2 file=$3 size=$4 points=$5
    measure "json$suffix" "$size" sh -c 'exec "$0" "$1" >/dev/null' "$importer" "$file"
    rm -rf "$work/csv"
    measure "csv$suffix" "$size" "$importer" --format csv --output "$work/csv" "$file"
    local written
    written=$(($(wc -l <"$work/csv/points.csv") - 1))
    if [ "$written" != "$points" ]; then
        echo "run-host-bench.sh: points.csv has $written rows, expected $points" >&2
        exit 1
    fi
    measure "geojson$suffix" "$size" sh -c 'exec "$0" --format geojson "$1" >/dev/null' \
        "$importer" "$file"
    measure "svg$suffix" "$size" sh -c 'exec "$0" --format svg "$1" >/dev/null' "$importer" "$file"
}

bench_file() {
    local file=$1 points=$2 observations=$3
    local size
    size=$(stat -c %s "$file")
    echo "$(basename "$file"): $((size / 1000000)) MB, $points points, $observations observations"
    measure "wc -l" "$size" wc -l "$file"
    measure "python3 csv" "$size" python3 -c "$naive_csv" "$file"
    measure "discard" "$size" "$discard" "$plugin" "$file"
    local expected="points=$points stations=$((observations > 0 ? 1 : 0)) observations=$observations messages=0"
    if [ "$(cat "$work/stdout")" != "$expected" ]; then
        echo "run-host-bench.sh: the job imported as '$(cat "$work/stdout")', expected '$expected'" >&2
        exit 1
    fi
    for ((round = 1; round <= rounds; ++round)); do
        import_file "" "$program" "$file" "$size" "$points"
        if [ -n "$compare" ]; then
            import_file " (compared)" "$compare/bin/orva-import" "$file" "$size" "$points"
        fi
    done
    rm -rf "$work/csv"
}

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.1f GB", $2 / 1e6}' /proc/meminfo)," \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
python3 "$here/bench/generate-job.py" --rows "$rows" "$work/job.idx" 2>"$work/counts"
bench_file "$work/job.idx" "$rows" "$rows"
# Threads: the same rows in 8 files, imported with one job and with one a core.
files=()
for seed in 1 2 3 4 5 6 7 8; do
    python3 "$here/bench/generate-job.py" --rows $((rows / 8)) --seed "$seed" \
        "$work/part$seed.idx" 2>/dev/null
    files+=("$work/part$seed.idx")
done
size=$(cat "${files[@]}" | wc -c)
echo "8 files of $((rows / 8)) rows each: $((size / 1000000)) MB"
for jobs in 1 $(nproc); do
    measure "json -j $jobs" "$size" sh -c 'jobs=$1; shift; exec "$0" -j "$jobs" "$@" >/dev/null' \
        "$program" "$jobs" "${files[@]}"
done
rm -f "${files[@]}"
if [ "$points_bytes" -gt 0 ]; then
    python3 "$here/bench/generate-job.py" --points-only --bytes "$points_bytes" \
        "$work/points.idx" 2>"$work/counts"
    points=$(sed -n 's/^points=\([0-9]*\) .*/\1/p' "$work/counts")
    bench_file "$work/points.idx" "$points" 0
fi
