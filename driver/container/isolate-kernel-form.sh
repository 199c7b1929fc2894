#!/usr/bin/env bash
# Gives every name the kernel form of the container defines a prefix of its own in
# the core's library (its definitions and the core's references alike):
#   isolate-kernel-form.sh LIBRARY OBJECT...
# On Linux the tests that drive the core write their sets with the user build of
# the container in the same process; with the prefix neither form reaches into
# the other, however the linker orders them.
set -euo pipefail
library=$1
shift
list=$(mktemp)
trap 'rm -f "$list"' EXIT
nm --defined-only --extern-only --format=posix "$@" 2>/dev/null |
  awk 'NF >= 2 && $2 != "U" && $1 !~ /:$/ { print $1 " zdkf_" $1 }' | sort -u > "$list"
objcopy --redefine-syms="$list" "$library"
