#!/usr/bin/env bash
# Fails when configure read a CMake package file that no package of the install list brings (itself or through its dependencies): a green build on a machine that happens
# to have the package would hide it.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || { echo "check_packages: no $build/CMakeCache.txt; configure first" >&2; exit 2; }

files=()
while IFS='=' read -r key value; do
  case "$key" in
    CMAKE_*) continue ;;
    *_DIR:PATH)
      for f in "$value"/*Config.cmake "$value"/*-config.cmake; do
        [ -f "$f" ] && files+=("$f")
      done ;;
  esac
done < <(grep -E '^[A-Za-z0-9_]+_DIR:PATH=/' "$build/CMakeCache.txt")

# Everything the install list brings, by package name without the architecture.
mapfile -t brought < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
  --no-breaks --no-replaces --no-enhances "${JW_PACKAGES[@]}" 2>/dev/null |
  sed -E 's/^ *\|?[A-Za-z]*: *//; s/[<>]//g; s/:.*$//' | sort -u)
declare -A in_list=()
for p in "${brought[@]}"; do in_list[$p]=1; done

missing=()
for f in "${files[@]}"; do
  owner=$(dpkg -S "$f" 2>/dev/null | head -n 1 | cut -d: -f1) || true
  if [ -z "$owner" ]; then
    echo "check_packages: $f belongs to no package"
    missing+=("?")
  elif [ -z "${in_list[$owner]:-}" ]; then
    echo "check_packages: $f comes from $owner, which the install list does not bring"
    missing+=("$owner")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "check_packages: add to JW_PACKAGES in tools/setup.sh: $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')"
  exit 1
fi
echo "check_packages: all ${#files[@]} CMake package files come from the install list"
