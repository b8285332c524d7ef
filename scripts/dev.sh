#!/usr/bin/env bash
# Sets up, builds and runs tarvasto on a Debian or Ubuntu machine.
#   scripts/dev.sh run   install what is missing, build, start the program on the sample
#   scripts/dev.sh test  install what is missing, build with the sanitizers, run every test
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

packages=(
    g++ cmake ninja-build pkg-config
    # Read Aloud; the speech module's CMake files ask for QmlIntegration, which only
    # qt6-declarative-dev brings, and the tests try Qt's own voice.
    qt6-speech-dev qt6-declarative-dev qt6-speech-flite-plugin
    qt6-base-dev qt6-base-dev-tools libgl-dev nlohmann-json3-dev libsimdjson-dev zlib1g-dev libssl-dev libarchive-dev openssl
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format libclang-rt-14-dev libfuzzer-14-dev
    xvfb xauth poppler-utils
    mandoc appstream desktop-file-utils bash-completion
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
}

jobs() { nproc 2>/dev/null || echo 2; }

case "${1:-}" in
run)
    install_missing
    cmake --preset release >/dev/null
    cmake --build --preset release -j "$(jobs)"
    # A demo home inside the build tree: the user's own settings and files stay untouched.
    demo="$here/build/release/demo"
    mkdir -p "$demo/config" "$demo/Documents"
    printf 'XDG_DOCUMENTS_DIR="%s"\n' "$demo/Documents" >"$demo/config/user-dirs.dirs"
    [ -f "$demo/Documents/aviation.ckl" ] || cp samples/aviation.ckl "$demo/Documents/aviation.ckl"
    if [ -x build/release/ui/tarvasto ]; then
        exec env XDG_CONFIG_HOME="$demo/config" build/release/ui/tarvasto
    else
        exec build/release/tools/ckl/ckl show "$demo/Documents/aviation.ckl"
    fi
    ;;
test)
    install_missing
    cmake --preset debug >/dev/null
    cmake --build --preset debug -j "$(jobs)"
    ctest --preset debug -j "$(jobs)"
    ;;
*)
    echo "usage: scripts/dev.sh run|test" >&2
    exit 2
    ;;
esac
