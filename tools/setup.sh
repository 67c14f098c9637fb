# Sourced by test.sh and run.sh: installs what the build needs and builds into build/.
set -euo pipefail

# qt6-charts-dev's CMake files need the OpenGL module's, which it does not pull in.
# e2fsprogs: a settings test makes a small file system whose times count whole seconds.
# The desktop's tools the program runs at start to make the ".bbi" type known, and those its
# test asks (gio): the MIME database, the desktop-entry cache, the icon theme the type's icon
# goes into.
JW_PACKAGES=(cmake ninja-build g++ clang pkg-config qt6-base-dev qt6-charts-dev
  libqt6opengl6-dev qt6-svg-dev qt6-translations-l10n libgl-dev libgtest-dev libbenchmark-dev
  locales xauth xvfb fonts-dejavu-core fonts-liberation e2fsprogs
  shared-mime-info desktop-file-utils libglib2.0-bin hicolor-icon-theme)

jw_install_packages() {
  local missing=()
  for p in "${JW_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# jw_configure [cmake option ...]: configures build/.
jw_configure() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

# jw_build [target ...]: builds the given targets of build/ (all when none).
jw_build() {
  local jobs targets=()
  jobs=$(nproc 2>/dev/null || echo 2)
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build build -j "$jobs" "${targets[@]}"
}

# Tests check that numbers ignore a decimal-comma locale; provide one when we may.
jw_ensure_test_locale() {
  locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$' && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || { command -v sudo >/dev/null || return 0; sudo="sudo"; }
  if [ -f /etc/locale.gen ] && command -v locale-gen >/dev/null; then
    $sudo sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null || true
  fi
}
