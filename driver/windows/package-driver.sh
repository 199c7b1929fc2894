#!/usr/bin/env bash
# Assembles the driver package of one architecture: zedisk.inf with ZeDisk.sys beside
# it, the image stripped of its symbol table and debug sections and its checksum set
# (Windows checks a driver's checksum before loading it).
#   package-driver.sh x86_64|i686 BUILT_SYS PACKAGE_FOLDER
# The catalog zedisk.cat that the .inf names is made and signed with the publisher's
# tools and certificate when the package is signed (README.md, "Windows").
set -euo pipefail
arch=$1
built=$2
package=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mkdir -p "$package"
cp "$root/driver/zedisk.inf" "$package/zedisk.inf"
"$arch-w64-mingw32-strip" --strip-all -o "$package/ZeDisk.sys" "$built"
python3 "$root/scripts/windows/pe-checksum.py" --fix "$package/ZeDisk.sys"
