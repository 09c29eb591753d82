#!/usr/bin/env bash
# Builds the Debian package build/package/korcad_<version>_<arch>.deb: what an installation
# holds (cmake --install), below /usr, its Depends computed by dpkg-shlibdeps from the
# programs and libraries. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh korcad_all
dir="${KOR_BUILD_DIR:-build}"
rm -rf "$dir/package"
(cd "$dir" && cpack -G DEB >cpack.log 2>&1) || { cat "$dir/cpack.log" >&2; echo "package: cpack failed" >&2; exit 1; }
deb="$(ls "$dir"/package/korcad_*.deb)"
dpkg-deb --field "$deb" Package Version Architecture Depends
echo "$deb"
