#!/usr/bin/env bash
# Builds the serial library and its tests with ThreadSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJW_SERIAL_ONLY=ON \
  -DJW_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=-fsanitize=thread \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
cmake --build build-tsan -j "$(nproc 2>/dev/null || echo 2)"
cd build-tsan
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 120 -j "$(nproc 2>/dev/null || echo 2)"
