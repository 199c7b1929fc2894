#!/usr/bin/env bash
# Checks every import of the given Windows images against a list of the calls the
# oldest supported Windows has (imports-*.txt beside this script), so that no module
# or program fails to load there for a call its system lacks.
#   check-imports.sh LIST FOLDER IMAGE...
# An image may also import from a DLL of FOLDER (our own modules that ship there);
# every other DLL must be in LIST, and every call from it too. Prints each import
# that is not allowed and exits 1 when there is one.
set -euo pipefail
list=$1
folder=$2
shift 2
objdump=x86_64-w64-mingw32-objdump

# "dll call" pairs the list allows, lower-case DLL names: "[dll]" starts a section.
allowed=$(awk '
  /^[[:space:]]*(#|$)/ { next }
  /^\[/ { dll = tolower(substr($1, 2, length($1) - 2)); next }
  { print dll " " $1 }' "$list" | sort -u)
own=$(find "$folder" -maxdepth 1 -iname '*.dll' -printf '%f\n' | tr '[:upper:]' '[:lower:]' | sort -u)

failed=0
for image in "$@"; do
  # "dll call" for each import: the lines under "DLL Name:" up to the blank line.
  imports=$("$objdump" -p "$image" | awk '
    /^[[:space:]]*DLL Name:/ { dll = tolower($3); inside = 1; next }
    inside && /^[[:space:]]*$/ { inside = 0; next }
    inside && /vma:/ { next }
    inside { name = $3; if (name == "") name = "ordinal-" $2; print dll " " name }' | sort -u)
  while read -r dll call; do
    [ -n "$dll" ] || continue
    if grep -qxF "$dll" <<<"$own"; then
      continue
    fi
    if ! grep -qxF "$dll $call" <<<"$allowed"; then
      echo "check-imports: $(basename "$image") imports $call from $dll, which $(basename "$list" .txt) lacks" >&2
      failed=1
    fi
  done <<<"$imports"
done
exit "$failed"
