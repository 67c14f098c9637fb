#!/usr/bin/env bash
# Builds the program and starts it on the sample archive.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
jw_install_packages
jw_configure
jw_build jibwarden
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  echo "Run it under a virtual display:  xvfb-run -a ./run.sh"
  exit 1
fi
# The directory of the data file named first becomes the data directory.
first_sample=$(find samples -maxdepth 1 -name '*.bbi' | sort | head -n 1)
exec build/app/jibwarden ${first_sample:+"$PWD/$first_sample"}
