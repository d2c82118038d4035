#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine: installs what is missing, builds, then
#   play  - starts the game
#   test  - runs the whole test suite (plus a sanitizer build of the input-facing code)
set -euo pipefail

mode=${1:-play}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KIVOLA_BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libchm-dev fp-utils
  fonts-noto-cjk
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$build" -j "$jobs"
}

install_missing
case "$mode" in
  play)
    configure_and_build
    exec "$build/bin/kivola"
    ;;
  test)
    configure_and_build
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
    # Everything that reads files or network frames, again under address and UB sanitizers.
    san=${build}-sanitize
    cmake -S "$root" -B "$san" -DCMAKE_BUILD_TYPE=Debug -DKIVOLA_SANITIZE=ON -DKIVOLA_BENCH=OFF
    cmake --build "$san" -j "$jobs" --target kivola_sanitized_tests
    ctest --test-dir "$san" --output-on-failure -j "$jobs" --timeout 600 -L sanitize
    ;;
  *)
    echo "usage: $0 [play|test]" >&2
    exit 2
    ;;
esac
