#!/usr/bin/env bash
# Fails when a library includes a header of a library it may not use. The libraries
# are layered (platform archive serial controls acquisition reports mainwindow app):
# each may use only those above it, archive and serial none at all (and QtCore alone),
# controls only platform and archive, reports neither serial nor acquisition. Prints
# every offending line and exits 1.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(platform archive serial controls acquisition reports mainwindow app)
declare -A may_use=(
  [platform]=""
  [archive]=""
  [serial]=""
  [controls]="platform archive"
  [acquisition]="platform archive serial controls"
  [reports]="platform archive controls"
  [mainwindow]="platform archive serial controls acquisition reports"
  [app]="platform archive serial controls acquisition reports mainwindow"
)

# Test and benchmark code is never a library's to include.
folders="$(IFS='|'; echo "${layers[*]}")|tests|bench"
pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($folders)/"

bad=0
for lib in "${layers[@]}"; do
  allowed=" $lib ${may_use[$lib]} "
  while IFS= read -r hit; do
    [ -n "$hit" ] || continue
    line=${hit#*:*:}
    used=$(sed -E "s@.*include[[:space:]]*[\"<]([a-z_]+)/.*@\\1@" <<<"$line")
    if [[ $allowed != *" $used "* ]]; then
      echo "$hit    <- $lib may not use $used"
      bad=1
    fi
  done < <(find "$lib" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
    xargs -0 grep -HnE "$pattern" || true)
done

# archive and serial stay on QtCore. They link Qt6::Core alone, so <QWidget> does not
# compile there, but the module-qualified form would.
while IFS= read -r hit; do
  [ -n "$hit" ] || continue
  echo "$hit    <- ${hit%%/*} uses QtCore only"
  bad=1
done < <(find archive serial -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
  xargs -0 grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Qt(Gui|Widgets|Charts|PrintSupport|Svg)/' ||
  true)

if [ "$bad" -ne 0 ]; then
  echo "check_includes: includes against the layer order (see above)" >&2
  exit 1
fi
echo "check_includes: every library includes only the libraries it may use"
