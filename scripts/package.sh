#!/bin/sh
# Builds the Debian package from the release build and inspects it: its
# control data and contents (dpkg-deb) and lintian's findings. Fails when
# lintian reports an error; its warnings are printed.
#   scripts/package.sh            -> build/package/tessaform_VERSION_ARCH.deb
set -eu
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release
mkdir -p build/package
(cd build/package && cpack --config ../release/CPackConfig.cmake -G DEB)

deb=$(ls -t build/package/tessaform_*.deb | head -n 1)
echo "== $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
echo "== lintian"
lintian --fail-on error "$deb"
