#!/usr/bin/env bash
# Builds the Debian package of tarvasto, installs it on this machine, tries the installed
# programs and removes the package again, so the machine is left as it was.
#   scripts/package-check.sh [BUILD_DIR]     (default build/package; needs root or sudo)
# Succeeds when the package installs, `ckl show` and `ckl check` read the installed sample, the
# desktop entry is valid and tarvasto is still running after five seconds on a virtual display.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
build=$(realpath -m "${1:-build/package}")

packages=(
    g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev nlohmann-json3-dev
    dpkg-dev desktop-file-utils xvfb xauth
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

if dpkg-query -W -f='${Status}' tarvasto 2>/dev/null | grep -q "ok installed"; then
    echo "package-check: tarvasto is already installed here; remove it first" >&2
    exit 1
fi

echo "== Building the package in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTARVASTO_TESTS=OFF -DTARVASTO_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"
rm -f "$build"/tarvasto_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/tarvasto_*.deb)
echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Depends

scratch=$(mktemp -d)
cleanup() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tarvasto >/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

echo "== Installing"
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null

echo "== Trying the installed programs"
ckl show /usr/share/tarvasto/aviation.ckl >/dev/null
ckl check /usr/share/tarvasto/aviation.ckl
desktop-file-validate /usr/share/applications/tarvasto.desktop
test -f /usr/share/icons/hicolor/48x48/apps/tarvasto.png

if [ -x /usr/bin/tarvasto ]; then
    # A throwaway home: the program finds the sample as its remembered default file and leaves
    # the settings of whoever runs this alone.
    mkdir -p "$scratch/config" "$scratch/Documents"
    mkdir -m 700 "$scratch/runtime"
    printf 'XDG_DOCUMENTS_DIR="%s"\n' "$scratch/Documents" >"$scratch/config/user-dirs.dirs"
    cp /usr/share/tarvasto/aviation.ckl "$scratch/Documents/aviation.ckl"
    status=0
    env HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" \
        xvfb-run -a timeout 5 /usr/bin/tarvasto || status=$?
    if [ "$status" -ne 124 ]; then
        echo "package-check: tarvasto ended with status $status before five seconds" >&2
        exit 1
    fi
    echo "tarvasto ran for five seconds"
fi

echo "== Package check passed"
