#!/usr/bin/env bash
# Builds the Debian packages zrm-common, zrm-server and zrm-desktop into
# dist/ (Release, in build-package, installed under /usr).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DZRM_TESTS=OFF -DZRM_BENCH=OFF >/dev/null
cmake --build build-package -j"${ZRM_JOBS:-2}"
cpack --config build-package/CPackConfig.cmake -B dist
rm -rf dist/_CPack_Packages
ls -1 dist/*.deb
