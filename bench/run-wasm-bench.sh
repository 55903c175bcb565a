#!/usr/bin/env bash
# The reader in WebAssembly beside the native build, on the same generated job in the same run:
# bench/orva_linked_import (the reader linked in, orva-import's converters, a receiver that
# counts) natively and under node, so that the two figures differ only by the build. Then
# the page reads the job in headless Chromium, and the page's size is reported.
#
#   bench/run-wasm-bench.sh [--rows N] [--rounds R] [--native DIR] [--wasm DIR] [--work DIR]
#
#   --rows N      rows of the job's POINTS and SLOPE tables (default 500000, ~69 MB)
#   --rounds R    runs of each; the best is reported (default 3)
#   --native DIR  the linux-release build (default build/linux-release)
#   --wasm DIR    the wasm build (default build/wasm)
#   --work DIR    where the job goes (default: a temporary directory)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rows=500000
rounds=3
native="$here/build/linux-release"
wasm="$here/build/wasm"
work=""
while [ $# -gt 0 ]; do
    case "$1" in
    --rows) rows=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --native) native=$2; shift 2 ;;
    --wasm) wasm=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "run-wasm-bench.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
job="$work/job.idx"
python3 "$here/bench/generate-job.py" --rows "$rows" "$job" 2>/dev/null
megabytes=$(awk -v b="$(stat -c %s "$job")" 'BEGIN { printf "%.1f", b / 1e6 }')
echo "job: $rows rows, $megabytes MB"

# Best wall-clock seconds and its peak RSS in MB of a command run $rounds times; its output must
# be the same every time.
best() {
    local best_seconds="" best_memory="" first_output="" output
    for _ in $(seq "$rounds"); do
        output=$( { /usr/bin/time -f 'TIME %e %M' "$@" > "$work/out.txt"; } 2>&1 | grep '^TIME')
        read -r _ seconds memory <<< "$output"
        [ -z "$first_output" ] && first_output=$(cat "$work/out.txt")
        [ "$first_output" = "$(cat "$work/out.txt")" ] || { echo "runs differ" >&2; exit 1; }
        if [ -z "$best_seconds" ] || awk -v a="$seconds" -v b="$best_seconds" 'BEGIN { exit !(a < b) }'; then
            best_seconds=$seconds
            best_memory=$memory
        fi
    done
    echo "$best_seconds $((best_memory / 1024))"
}

read -r native_seconds native_memory <<< "$(best "$native/bench/orva_linked_import" "$job")"
cp "$work/out.txt" "$work/native.txt"
read -r wasm_seconds wasm_memory <<< "$(best node "$wasm/bench/orva_linked_import.js" "$job")"
cmp -s "$work/native.txt" "$work/out.txt" || { echo "the two builds counted different calls" >&2; exit 1; }
printf '%-16s %6.2f s  %6.1f MB/s  peak %5d MB\n' "native" "$native_seconds" \
    "$(awk -v m="$megabytes" -v s="$native_seconds" 'BEGIN { print m / s }')" "$native_memory"
printf '%-16s %6.2f s  %6.1f MB/s  peak %5d MB\n' "wasm under node" "$wasm_seconds" \
    "$(awk -v m="$megabytes" -v s="$wasm_seconds" 'BEGIN { print m / s }')" "$wasm_memory"
awk -v w="$wasm_seconds" -v n="$native_seconds" 'BEGIN { printf "wasm / native: %.2f\n", w / n }'

page="$wasm/orva-viewer.html"
printf 'page: %s, %d bytes\n' "$page" "$(stat -c %s "$page")"
/usr/bin/python3 "$here/bench/page-read-time.py" "$page" "$job" "$rounds"
