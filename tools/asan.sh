#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and UndefinedBehaviorSanitizer, runs every
# test with leak detection on (no suppressions: every report is ours to mend), then each fuzz
# target for 30 seconds from its seed corpus. Any report fails the stage.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JW_JOBS:-$(nproc 2>/dev/null || echo 2)}
san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DJW_BUILD_BENCH=OFF -DJW_BUILD_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="-O1 -g $san" \
  -DCMAKE_EXE_LINKER_FLAGS="$san"
cmake --build build-asan -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen
(cd build-asan && ctest --output-on-failure --timeout 300 -j "$jobs")

# Each fuzz target from a scratch copy of its seeds; a finding stays in build-asan/fuzz-findings.
mkdir -p build-asan/fuzz-findings
for corpus in fuzz/corpus/*/; do
  name=fuzz_$(basename "$corpus")
  target=build-asan/fuzz/$name
  work=$(mktemp -d)
  cp "$corpus"* "$work/"
  if ! "$target" -max_total_time=30 -print_final_stats=1 -artifact_prefix=build-asan/fuzz-findings/ \
    "$work" >"$work.log" 2>&1; then
    tail -n 60 "$work.log"
    echo "$name failed"
    exit 1
  fi
  echo "$name: $(grep -o 'number_of_executed_units: *[0-9]*' "$work.log" | grep -o '[0-9]*$') runs in 30 s"
  rm -rf "$work" "$work.log"
done
