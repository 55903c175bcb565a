#!/bin/sh
# Runs the import fuzzer.
#   run-fuzz.sh replay FUZZER DIR           every input in DIR once; fails on any finding
#   run-fuzz.sh fuzz FUZZER SOURCES WORK    a bounded run (ORVA_FUZZ_SECONDS, default 60, on
#                                           ORVA_FUZZ_JOBS processes, default all cores) from the
#                                           seeds and the corpus kept in WORK; fails on any finding
set -eu
mode=$1
fuzzer=$2
# Freed memory is overwritten, so that a use after free inside a library that is not
# instrumented (GDAL's, the C library's) fails for certain rather than reading what was there.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}max_free_fill_size=65536:free_fill_byte=165"

# Each seed file is offered with a few host shapes and code pages: the first byte chooses them.
make_seeds() {
    sources=$1 seeds=$2
    rm -rf "$seeds"
    mkdir -p "$seeds"
    n=0
    for file in "$sources"/examples/*.idx "$sources"/tests/host/data/*.idx \
                "$sources"/tests/fuzz/regressions/*; do
        [ -f "$file" ] || continue
        for selector in 015 000 001 004 014 035 055 074; do
            n=$((n + 1))
            { printf "\\$selector"; cat "$file"; } > "$seeds/seed-$n"
        done
    done
}

case $mode in
replay)
    dir=$3
    count=0
    for input in "$dir"/*; do
        [ -f "$input" ] || continue
        count=$((count + 1))
    done
    if [ "$count" -gt 0 ]; then
        # Files rather than a directory: each runs once and the fuzzer stops.
        "$fuzzer" "$dir"/* >"${TMPDIR:-/tmp}/orva-fuzz-replay.log" 2>&1 || {
            cat "${TMPDIR:-/tmp}/orva-fuzz-replay.log"
            echo "fuzz: a regression input failed again" >&2
            exit 1
        }
    fi
    echo "fuzz: $count regression inputs replayed, no finding"
    ;;
fuzz)
    sources=$3 work=$4
    seconds=${ORVA_FUZZ_SECONDS:-60}
    jobs=${ORVA_FUZZ_JOBS:-$(nproc 2>/dev/null || echo 2)}
    mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"
    make_seeds "$sources" "$work/seeds"
    log=$work/last-run.log
    status=0
    TMPDIR=$work/tmp "$fuzzer" -fork="$jobs" -max_total_time="$seconds" -timeout=10 \
        -max_len=16384 -dict="$sources/tests/fuzz/keywords.dict" \
        -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds" >"$log" 2>&1 ||
        status=$?
    rm -rf "$work/tmp"
    # In fork mode the fuzzer reports the inputs run so far as "#N:" at the start of a line.
    runs=$(grep -Eo '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "fuzz: FINDING after ${runs:-0} inputs in $seconds s; see $work/artifacts and $log" >&2
        exit 1
    fi
    echo "fuzz: ${runs:-0} inputs ran in $seconds s on $jobs processes, no finding" \
         "(corpus: $(ls "$work/corpus" | wc -l) inputs)"
    ;;
*)
    echo "usage: run-fuzz.sh replay FUZZER DIR | fuzz FUZZER SOURCES WORK" >&2
    exit 2
    ;;
esac
