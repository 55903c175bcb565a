#!/bin/sh
# Shows the installed driver to GDAL without installing it: in a mount namespace of its own, the
# system's plug-in folder is replaced by a copy of itself with the packaged driver added, and a
# plain ogrinfo, without GDAL_DRIVER_PATH, must open the file with the driver. Skipped (77) where
# the machine allows no mount namespace.
#   gdal-default-folder.sh OGRINFO SYSTEM_FOLDER DRIVER FILE
set -eu
ogrinfo=$1 folder=$2 driver=$3 file=$4

if [ "$(id -u)" = 0 ]; then namespace="unshare --mount"; else namespace="unshare --map-root-user --mount"; fi
$namespace true 2>/dev/null || { echo "no mount namespace here: skipped"; exit 77; }

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -R "$folder/." "$copy/"
cp "$driver" "$copy/"
out=$(env -u GDAL_DRIVER_PATH $namespace sh -c 'mount --bind "$1" "$2" && "$3" -ro -so "$4"' \
      sh "$copy" "$folder" "$ogrinfo" "$file" 2>&1) || { printf '%s\n' "$out"; exit 1; }
printf '%s\n' "$out"
printf '%s\n' "$out" | grep -q "using driver \`ORVA' successful"
