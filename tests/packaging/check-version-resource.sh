#!/bin/sh
# Reads the version resource back from a built module and checks it against the project version.
#   check-version-resource.sh WINDRES MODULE VERSION
# windres decodes the module's resources into a script; the fixed part must carry VERSION in
# FILEVERSION and PRODUCTVERSION (as four numbers), the strings the same VERSION, the product
# name and the module's own file name.
set -u
windres=$1
module=$2
version=$3

script=$("$windres" -i "$module" -O rc) || {
    echo "cannot read the resources of $module" >&2
    exit 1
}

# windres writes the four numbers as "1, 0, 0, 0".
numbers=$(echo "$version" | awk -F. '{ printf "%d, *%d, *%d, *%d", $1, $2, $3, $4 }')
pattern=$(echo "$version" | sed 's/\./\\./g')
name=$(basename "$module" | sed 's/\./\\./g')
status=0
expect() {
    if ! printf '%s\n' "$script" | grep -q -x -- "$1"; then
        echo "$module: no line matching: $1" >&2
        status=1
    fi
}
expect " *FILEVERSION $numbers"
expect " *PRODUCTVERSION $numbers"
expect ' *VALUE "FileVersion", "'"$pattern"'"'
expect ' *VALUE "ProductVersion", "'"$pattern"'"'
expect ' *VALUE "ProductName", "ORVA"'
expect ' *VALUE "OriginalFilename", "'"$name"'"'
expect ' *VALUE "FileDescription", "ORVA .*"'
case $module in
*.dll) expect " *FILETYPE 0x2" ;; # VFT_DLL
*.exe) expect " *FILETYPE 0x1" ;; # VFT_APP
esac
if [ $status -ne 0 ]; then
    echo "the resources of $module are:" >&2
    printf '%s\n' "$script" >&2
fi
exit $status
