#!/bin/sh
# Checks what the plug-in library shows the system loader.
#   check-library-tables.sh elf LIBRARY NM        liborva.so exports exactly CreatePlugin and
#                                                 OrvaSetThreadCodePage, both functions
#   check-library-tables.sh pe LIBRARY OBJDUMP    orva.dll exports exactly CreatePlugin, by that
#                                                 name at ordinal 1, and imports system DLLs only
set -eu
kind=$1
library=$2
tool=$3
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

case $kind in
elf)
    exports=$("$tool" -D --defined-only "$library" | awk 'NF == 3 { print $2, $3 }' | sort | tr '\n' ';')
    [ "$exports" = "T CreatePlugin;T OrvaSetThreadCodePage;" ] ||
        fail "$library exports: $exports"
    ;;
pe)
    dump=$("$tool" -p "$library")
    names=$(printf '%s\n' "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\] \(.*\)$/\1 \2/p' | tr '\n' ';')
    [ "$names" = "0 CreatePlugin;" ] || fail "$library exports by name: $names"
    addresses=$(printf '%s\n' "$dump" | sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' |
        sed -n 's/^[[:space:]]*\[ *0\] +base\[ *\([0-9]*\)\].*/\1/p' | tr '\n' ';')
    [ "$addresses" = "1;" ] || fail "$library export ordinals: $addresses"
    printf '%s\n' "$dump" | grep -q '^Ordinal Base[[:space:]]*1$' || fail "$library: ordinal base is not 1"
    imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ -n "$imports" ] || fail "$library: no import table found"
    for dll in $imports; do
        case $(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]') in
        kernel32.dll | msvcrt.dll | oleaut32.dll | user32.dll | api-ms-win-crt-*.dll) ;;
        *) fail "$library imports $dll, which is not part of the system" ;;
        esac
    done
    ;;
*)
    echo "usage: $0 elf|pe LIBRARY TOOL" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] && echo "$library: export and import tables as expected"
exit "$failures"
