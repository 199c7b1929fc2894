#!/bin/sh
# Stands in for the 64-bit installer: "Inst -I <folder>" exits with the number the
# folder's name ends in.
[ "$1" = "-I" ] || exit 99
exit "${2##*[!0-9]}"
