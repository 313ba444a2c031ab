#!/usr/bin/env bash
# Sets up, builds and runs Zentrix on Debian 12.
#   ./dev.sh run    build, then run the program against the built-in simulated receiver
#   ./dev.sh test   build, then run every test
# Environment: BUILD_DIR (default build/release), SANITIZE ("address,undefined" or "thread"),
# WERROR=1 to treat warnings as errors, CTEST_ARGS for extra ctest arguments.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-qpa-plugins fonts-liberation libsqlite3-dev
          nlohmann-json3-dev gpsd-clients socat clang libclang-rt-14-dev)

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Zentrix needs these Debian packages. Install them as root, then run this again:" >&2
        echo "  apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {
    local dir=$1
    local werror=OFF
    [ "${WERROR:-0}" = 1 ] && werror=ON
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DZENTRIX_WERROR="$werror" -DZENTRIX_SANITIZE="${SANITIZE:-}" \
        -DZENTRIX_BENCH="$([ -z "${SANITIZE:-}" ] && echo ON || echo OFF)" >/dev/null
    cmake --build "$dir" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
}

default_dir() {
    case "${SANITIZE:-}" in
        "") echo build/release ;;
        thread) echo build/tsan ;;
        *) echo build/asan ;;
    esac
}

cmd=${1:-}
dir=${BUILD_DIR:-$(default_dir)}
case "$cmd" in
    test)
        install_packages
        build "$dir"
        export QT_QPA_PLATFORM=offscreen
        # shellcheck disable=SC2086
        ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
        ;;
    run)
        install_packages
        build "$dir"
        echo
        echo "The main program and the receiver simulator are not built yet; this is what exists."
        echo
        "$dir/tools/zentrix-info"
        log=../shared/testdata/gpsd/bu353-glonass.log
        if [ -f "$log" ]; then
            echo
            echo "What Zentrix makes of a real receiver's output (zentrix-replay --publish-on-gga $log):"
            "$dir/tools/zentrix-replay" --publish-on-gga "$log" | head -n 6
        fi
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
