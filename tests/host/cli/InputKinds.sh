#!/usr/bin/env bash
# The summary of one file read as each kind of input a shell gives: the file, standard input,
# a FIFO and a process substitution. Each must show what the golden summary of the file shows,
# the file's shown name apart. A file whose name is not UTF-8 must open and be shown readably.
# Usage: InputKinds.sh PROGRAM FILE GOLDEN SCRATCH
set -euo pipefail
program=$1 file=$2 golden=$3 scratch=$4
rm -rf "$scratch" && mkdir -p "$scratch"
failures=0

# The summary without its first line, which names the file.
check() {
    local kind=$1 output=$2
    if ! diff <(tail -n +2 "$golden") <(tail -n +2 "$output") >"$scratch/$kind.diff"; then
        echo "$kind: the summary differs from the file's:"
        cat "$scratch/$kind.diff"
        failures=$((failures + 1))
    fi
}

"$program" info "$file" >"$scratch/file.out"
check file "$scratch/file.out"
"$program" info - <"$file" >"$scratch/stdin.out"
check stdin "$scratch/stdin.out"
# A FIFO opened before its writer reads as empty, by design, and a writer started alongside the
# program may come too late. So the shell holds the FIFO open with the file in it until the
# program has opened it too, and only then lets it end.
mkfifo "$scratch/fifo"
exec 3<>"$scratch/fifo"
cat "$file" >&3
"$program" info "$scratch/fifo" 3>&- >"$scratch/fifo.out" &
reader=$!
# Before its exec the child still holds the shell's end; after it, only what it opened itself.
until { [ "$(readlink /proc/$reader/exe 2>/dev/null)" = "$(readlink -f "$program")" ] &&
    readlink /proc/$reader/fd/* 2>/dev/null | grep -qx "$scratch/fifo"; } ||
    ! kill -0 "$reader" 2>/dev/null; do
    sleep 0.01
done
exec 3>&-
wait "$reader"
check fifo "$scratch/fifo.out"
"$program" info <(cat "$file") >"$scratch/substitution.out"
check substitution "$scratch/substitution.out"

# "café.idx" with its name in Latin-1 bytes: imported, and named with U+FFFD for the byte that
# is not UTF-8.
latin1=$(printf 'caf\351.idx')
cp "$file" "$scratch/$latin1"
(cd "$scratch" && "$program" info "$latin1") >"$scratch/latin1.out"
check latin1 "$scratch/latin1.out"
if [ "$(head -n 1 "$scratch/latin1.out")" != "$(printf 'caf\357\277\275.idx')" ]; then
    echo "latin1: shown as $(head -n 1 "$scratch/latin1.out")"
    failures=$((failures + 1))
fi
(cd "$scratch" && "$program" --format csv --output csv "$latin1") || {
    echo "latin1: the import failed"
    failures=$((failures + 1))
}
if ! grep -q "^caf.*\.idx,yes," "$scratch/csv/files.csv"; then
    echo "latin1: files.csv does not show the file imported"
    failures=$((failures + 1))
fi
exit $failures
