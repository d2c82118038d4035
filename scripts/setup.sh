#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine: installs what is missing, builds, then
#   play  - builds only the game and what it needs at run time, and starts it
#   test  - builds everything and runs the whole test suite (plus a sanitizer build of the
#           input-facing code)
set -euo pipefail

mode=${1:-play}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KIVOLA_BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

# What the game needs to build and run: compiler, Qt, the help compiler and reader, a CJK font
# and Qt's own Chinese texts for the standard dialogs.
game_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev qt6-translations-l10n
  libchm-dev fp-utils
  fonts-noto-cjk
)
# Only the tests and the benchmarks need these; the last three check the Debian package.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev desktop-file-utils appstream lintian)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    as_root apt-get update -qq
    # -q, not -qq: apt's own lines say how much it downloads and how much disk it takes.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

configure() {
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

case "$mode" in
  play)
    install_missing "${game_packages[@]}"
    configure -DBUILD_TESTING=OFF -DKIVOLA_BENCH=OFF
    # The game pulls in libNW, the artwork in res/ and rur.chm; the console engine is cheap.
    cmake --build "$build" -j "$jobs" --target kivola pbrain-kivola
    exec "$build/bin/kivola"
    ;;
  test)
    install_missing "${game_packages[@]}" "${test_packages[@]}"
    configure -DBUILD_TESTING=ON -DKIVOLA_BENCH=ON
    cmake --build "$build" -j "$jobs"
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
    # Everything that reads files or network frames, again under address and UB sanitizers.
    san=${build}-sanitize
    cmake -S "$root" -B "$san" -DCMAKE_BUILD_TYPE=Debug -DKIVOLA_SANITIZE=ON -DBUILD_TESTING=ON -DKIVOLA_BENCH=OFF
    cmake --build "$san" -j "$jobs" --target kivola_sanitized_tests
    ctest --test-dir "$san" --output-on-failure -j "$jobs" --timeout 600 -L sanitize
    ;;
  *)
    echo "usage: $0 [play|test]" >&2
    exit 2
    ;;
esac
