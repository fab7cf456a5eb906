#!/usr/bin/env bash
# Installs what Pulsara needs on Debian 12, builds it, and then runs it ("run": only what building
# and running need, the program alone, optimized) or its whole test suite ("test").
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PULSARA_BUILD_DIR:-$here/build}
jobs=$(nproc)

# What building and running the program need.
run_packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-charts-dev libsqlite3-dev libgl-dev libpulse-dev libasound2-dev
    fonts-liberation2
)
# What the tests and benchmarks need beside that: GoogleTest and Benchmark, a private sound server,
# an X server to drive and look at the window, and the tools that check the package.
test_packages=(
    "${run_packages[@]}"
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    pulseaudio pulseaudio-utils libasound2-plugins alsa-utils
    xvfb xauth xdotool imagemagick sox libx11-dev
    dpkg-dev desktop-file-utils appstream
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        as_root apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    fi
}

configure_and_build() {
    local dir=$1; shift
    cmake -S "$here" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$jobs"
}

run_tests() {
    configure_and_build "$build"
    ctest --test-dir "$build" --output-on-failure -j "$jobs"
    # The device-free core once more under AddressSanitizer and UndefinedBehaviorSanitizer: above all
    # the randomized rhythm texts, which must never read out of range.
    configure_and_build "$build-sanitize" -DPULSARA_ONLY_CORE=ON -DPULSARA_SANITIZE=ON \
        -DCMAKE_BUILD_TYPE=Debug
    ctest --test-dir "$build-sanitize" --output-on-failure -j "$jobs" -L unit
}

case "${1:-}" in
run)
    # Only the program and its files, optimized, in a folder of its own, so that switching between
    # running and testing rebuilds neither.
    install_packages "${run_packages[@]}"
    cmake -S "$here" -B "$build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPULSARA_TESTS=OFF
    cmake --build "$build-release" -j "$jobs" --target pulsara
    exec "$build-release/bin/pulsara"
    ;;
test)
    install_packages "${test_packages[@]}"
    run_tests
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
