#!/usr/bin/env bash
# Runs every test binary once as a whole process, so a test that only passes alone (or only
# after another) shows up here even though ctest runs each case in a process of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
failed=()
for t in $(find "$build/tests" -type f -executable -name 'test_*' | sort); do
  if QT_QPA_PLATFORM=offscreen timeout 300 "$t" --gtest_brief=1 >"$t.log" 2>&1; then
    echo "run_whole: $(basename "$t"): $(grep -Eo '[0-9]+ tests? from [0-9]+ test suites? ran' "$t.log" | head -n 1)"
  else
    echo "run_whole: $(basename "$t") FAILED"; grep -E '^\[  FAILED  \]' "$t.log" | sort -u || true
    failed+=("$t")
  fi
done
[ ${#failed[@]} -eq 0 ]
