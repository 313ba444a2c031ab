#!/usr/bin/env bash
# Sets up, builds and runs Zentrix on Debian 12.
#   ./dev.sh run    build, then run the program against the built-in simulated receiver
#                   (ZENTRIX_RECEIVER=nmea: a plain NMEA receiver replaying a real capture)
#   ./dev.sh test   build, then run every test
#   ./dev.sh package  build a release, then the Debian package (prints the .deb's path)
# Environment: BUILD_DIR (default build/release), SANITIZE ("address,undefined" or "thread"),
# WERROR=1 to treat warnings as errors, CTEST_ARGS for extra ctest arguments.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-qpa-plugins fonts-liberation libsqlite3-dev
          nlohmann-json3-dev gpsd gpsd-clients socat clang libclang-rt-14-dev ccache locales
          dpkg-dev file lintian)

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

# The tests write and read numbers under a locale whose decimal separator is a comma, as a German
# desktop has it; a test that cannot switch to it fails. Debian ships the locale's source in the
# package "locales" but generates only what /etc/locale.gen names.
install_test_locale() {
    locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8' && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "The tests need the locale de_DE.UTF-8. Generate it as root, then run this again:" >&2
        echo "  sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen && locale-gen" >&2
        exit 1
    fi
    echo "Generating the locale de_DE.UTF-8"
    sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen
    locale-gen >/dev/null
}

build() {
    local dir=$1
    local werror=OFF
    [ "${WERROR:-0}" = 1 ] && werror=ON
    # A compiler cache when the machine has one: a rebuild after a pull or a branch switch, or a
    # fresh clone's build of sources this machine compiled before, takes minutes less.
    local launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        # Paths relative to the checkout, so that another clone of the same sources (CI's) hits the
        # same cache entries.
        export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    fi
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
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
        install_test_locale
        build "$dir"
        export QT_QPA_PLATFORM=offscreen
        # shellcheck disable=SC2086
        ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
        ;;
    run)
        install_packages
        build "$dir"
        if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo
            echo "Zentrix is built, but this session has no display (DISPLAY and WAYLAND_DISPLAY are"
            echo "unset), so its windows cannot be shown here. Run ./dev.sh run from a desktop"
            echo "session or over ssh -X. To see its dialogs without a display, render them:"
            echo "  QT_QPA_PLATFORM=offscreen $dir/tools/zentrix-gallery gallery/"
            exit 1
        fi
        echo
        echo "Starting the simulated receiver (zentrix-sim: the survey board on COM3: of a scratch"
        echo "device root, or the GPS-only chip when ZENTRIX_MODEL_CODE names such a handheld) and"
        echo "Zentrix on it. On the survey model Zentrix looks for its receiver service first (5 s),"
        echo "then finds the receiver and shows the main menu."
        echo
        root=$(mktemp -d "${TMPDIR:-/tmp}/zentrix-run.XXXXXX")
        export ZENTRIX_ROOT="$root"
        # The GPS-only handhelds (model codes 0143 and 0204) carry the SiRF chip, on COM1: and COM3:.
        com=3 kind=board
        case "${ZENTRIX_MODEL_CODE:-}" in
            0143*) com=1 kind=sirf ;;
            0204*) kind=sirf ;;
        esac
        sim_args=(--com "$com" --receiver "$kind")
        # ZENTRIX_RECEIVER=nmea: a plain NMEA receiver instead, replaying a real capture with GPS,
        # Galileo and BeiDou at 9600 baud; Zentrix finds it by itself.
        if [ "${ZENTRIX_RECEIVER:-}" = nmea ]; then
            sim_args=(--com "$com" --replay tests/data/gpsd/st-teseo-liv4f.log --loop --baud 9600)
        fi
        "$dir/tools/sim/zentrix-sim" "${sim_args[@]}" </dev/null >/dev/null &
        sim=$!
        app=
        # However the run ends (Zentrix ends or crashes, Ctrl-C, a closed terminal, a kill of this
        # script), Zentrix gets one SIGTERM and the time to give the receiver back while the
        # simulator still answers; then the simulator and the scratch root go. Ctrl-C again
        # during that ends Zentrix at once.
        cleanup() {
            trap '[ -n "$app" ] && kill -TERM "$app" 2>/dev/null' INT TERM HUP
            if [ -n "$app" ] && kill -TERM "$app" 2>/dev/null; then
                while kill -0 "$app" 2>/dev/null; do wait "$app" 2>/dev/null || true; done
            fi
            kill "$sim" 2>/dev/null || true
            wait "$sim" 2>/dev/null || true
            rm -rf "$root"
        }
        trap cleanup EXIT
        trap 'exit 130' INT
        trap 'exit 143' TERM
        trap 'exit 129' HUP
        # The simulator links devices/COMn once its pseudo-terminal is open.
        for _ in $(seq 50); do
            [ -e "$root/devices/COM$com" ] && break
            sleep 0.1
        done
        # In the background, so that this script hears its signals while Zentrix runs (a
        # foreground command would hold them back until it ends). A background job ignores the
        # terminal's SIGINT; Zentrix hears of Ctrl-C through the script's SIGTERM.
        "$dir/app/zentrix" ${ZENTRIX_RECEIVER:+--receiver "$ZENTRIX_RECEIVER"} &
        app=$!
        status=0
        wait "$app" || status=$?
        app=
        exit "$status"
        ;;
    package)
        if [ -n "${SANITIZE:-}" ]; then
            echo "The package is made from a release build: unset SANITIZE." >&2
            exit 2
        fi
        install_packages
        build "$dir"
        rm -f "$dir"/zentrix_*.deb
        (cd "$dir" && cpack -G DEB >/dev/null)
        (cd "$dir" && ls "$PWD"/zentrix_*.deb)
        ;;
    *)
        echo "usage: $0 run|test|package" >&2
        exit 2
        ;;
esac
