#!/usr/bin/env bash
# The GDAL driver against GDAL's own CSV driver on the same records, in one run:
#
#   bench/run-gdal-bench.sh [--rows N] [--rounds R] [--build DIR] [--compare DIR] [--work DIR]
#
# A job of N rows (default 500000) is read in full with `ogr2ogr -f Memory` through the driver,
# and the points.csv and observations.csv that orva-import writes of it through GDAL's CSV driver
# (points with their coordinates as geometry); then the same with orva_gdal_read, which makes
# every feature and lets it go, without the copies of ogr2ogr and the Memory driver. It prints seconds and peak RSS of each, the
# driver's time as a share of CSV's, and the driver's own memory: the peak of `ogrinfo -so` on the
# job (which reads the whole file when it opens it, and builds no feature) less that of the same
# command on a small file. Each command runs R times (default 3), its best time kept: the
# machine is shared, and a slow round says more about the neighbours than about the reader.
# --compare DIR reads the job through the driver of another build too, in the same rounds.
set -euo pipefail
rows=500000
rounds=3
build=build/linux-release
compare=
work=
while [ $# -gt 0 ]; do
    case $1 in
    --rows) rows=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --compare) compare=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "usage: $0 [--rows N] [--rounds R] [--build DIR] [--compare DIR] [--work DIR]" >&2; exit 2 ;;
    esac
done
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=$(cd "$build" && pwd)
[ -z "$compare" ] || compare=$(cd "$compare" && pwd)
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
export GDAL_DRIVER_PATH=$build/gdalplugins

python3 bench/generate-job.py --rows "$rows" "$work/job.idx" >/dev/null
"$build/bin/orva-import" --format csv --output "$work/csv" "$work/job.idx" 2>/dev/null
size=$(stat -c %s "$work/job.idx")

# The commands, by name; each round runs every one of them in turn, so that a slow spell of the
# machine falls on all of them rather than on one.
reader=$build/bin/orva_gdal_read
declare -A commands=(
    [driver]="ogr2ogr -f Memory /vsimem/out $work/job.idx"
    [points]="ogr2ogr -f Memory /vsimem/out $work/csv/points.csv -oo X_POSSIBLE_NAMES=east -oo Y_POSSIBLE_NAMES=north -oo Z_POSSIBLE_NAMES=elevation"
    [observations]="ogr2ogr -f Memory /vsimem/out $work/csv/observations.csv"
    # The lightest reader: every feature made and let go, through GDAL's C interface.
    [light]="$reader $work/job.idx"
    [light_points]="$reader $work/csv/points.csv X_POSSIBLE_NAMES=east Y_POSSIBLE_NAMES=north Z_POSSIBLE_NAMES=elevation"
    [light_observations]="$reader $work/csv/observations.csv"
    [opened]="ogrinfo -ro -so -al $work/job.idx"
    [small]="ogrinfo -ro -so -al examples/survey-job.idx"
)
if [ -n "$compare" ]; then
    commands[compared]="env GDAL_DRIVER_PATH=$compare/gdalplugins ogr2ogr -f Memory /vsimem/out $work/job.idx"
    commands[compared_light]="env GDAL_DRIVER_PATH=$compare/gdalplugins $compare/bin/orva_gdal_read $work/job.idx"
fi
declare -A best rss
for ((round = 0; round < rounds; ++round)); do
    for name in "${!commands[@]}"; do
        # shellcheck disable=SC2086 # the command's words, none of which holds a blank
        /usr/bin/time -f '%e %M' -o "$work/time" ${commands[$name]} >/dev/null 2>&1
        read -r seconds kilobytes <"$work/time"
        if [ -z "${best[$name]:-}" ] || awk "BEGIN { exit !($seconds < ${best[$name]}) }"; then
            best[$name]=$seconds
        fi
        if [ "$((kilobytes / 1024))" -gt "${rss[$name]:-0}" ]; then rss[$name]=$((kilobytes / 1024)); fi
    done
done
driver=${best[driver]} driver_rss=${rss[driver]}
points=${best[points]} points_rss=${rss[points]}
observations=${best[observations]} observations_rss=${rss[observations]}
light=${best[light]} light_points=${best[light_points]}
light_observations=${best[light_observations]}
opened_rss=${rss[opened]} small_rss=${rss[small]}

echo "job: $((size / 1000000)) MB, $rows points and observations, best of $rounds rounds"
printf '  %-34s %6s s  %5s MB RSS\n' "ORVA driver, every layer" "$driver" "$driver_rss" \
    "CSV driver, points.csv" "$points" "$points_rss" \
    "CSV driver, observations.csv" "$observations" "$observations_rss"
printf '  %-34s %6s s\n' "orva_gdal_read, the driver" "$light" \
    "orva_gdal_read, CSV points" "$light_points" \
    "orva_gdal_read, CSV observations" "$light_observations"
if [ -n "$compare" ]; then
    printf '  %-34s %6s s  %5s MB RSS\n' "compared build's driver" "${best[compared]}" \
        "${rss[compared]}"
    printf '  %-34s %6s s\n' "orva_gdal_read, compared driver" "${best[compared_light]}"
fi
python3 - "$driver" "$points" "$observations" "$opened_rss" "$small_rss" "$size" "$light" \
    "$light_points" "$light_observations" <<'PY'
import sys
driver, points, observations, opened, small, size, light, lpoints, lobservations = \
    map(float, sys.argv[1:])
print(f"  driver / CSV: {driver / (points + observations):.2f} of the time with ogr2ogr, "
      f"{light / (lpoints + lobservations):.2f} with orva_gdal_read")
print(f"  driver's own memory: {opened - small:.0f} MB for a {size / 1e6:.0f} MB file "
      f"(file + {opened - small - size / 1e6:.0f} MB)")
PY
