#!/usr/bin/env bash
# Builds everything and runs every test; arguments go to the CMake configure.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
jw_install_packages
jw_ensure_test_locale
jw_configure "$@"
jw_build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
