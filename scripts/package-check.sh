#!/usr/bin/env bash
# Builds the Debian package of tarvasto, installs it on this machine, tries the installed
# programs and removes the package again, so the machine is left as it was.
#   scripts/package-check.sh [BUILD_DIR]     (default build/package; needs root or sudo)
# Succeeds when lintian finds no error in the package, the package installs, `ckl show` and
# `ckl check` read the installed sample, the desktop entry, the file type, the metadata and the
# manual pages are installed and valid, and on a virtual display tarvasto opens a .ckl file
# through the desktop entry's Exec line, is still running after five seconds, and a second start
# through that line hands its file to the running copy and ends.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
build=$(realpath -m "${1:-build/package}")

packages=(
    g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev nlohmann-json3-dev
    qt6-speech-dev qt6-declarative-dev # Read Aloud (see scripts/dev.sh)
    dpkg-dev desktop-file-utils xvfb xauth lintian appstream shared-mime-info mandoc man-db
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

echo "== lintian"
# Errors fail the check; warnings are shown.
lintian --fail-on error "$deb"

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
appstreamcli validate --no-net /usr/share/metainfo/org.velmora.tarvasto.metainfo.xml
# The package's trigger has compiled the file type into the shared database.
grep -q '^50:application/x-tarvasto-checklist:\*\.ckl$' /usr/share/mime/globs2
grep -q 'application/x-tarvasto-checklist' /usr/share/mime/magic
grep -q '^MimeType=application/x-tarvasto-checklist;$' /usr/share/applications/tarvasto.desktop
for page in tarvasto ckl; do
    man -w "$page" | grep -q "/usr/share/man/man1/$page.1.gz"
    zcat "/usr/share/man/man1/$page.1.gz" | mandoc -T lint -W warning
done
test -f /usr/share/bash-completion/completions/ckl
printf '[$$CHECKLIST]\nTaxi\n[$$END]\n' | ckl rewrite - - | ckl json - | grep -q '"name":"Taxi"'

if [ -x /usr/bin/tarvasto ]; then
    # A throwaway home: the program's settings and the copies' meeting place are its own, and
    # the settings of whoever runs this stay alone.
    mkdir -p "$scratch/config" "$scratch/Documents" "$scratch/flights"
    mkdir -m 700 "$scratch/runtime"
    printf 'XDG_DOCUMENTS_DIR="%s"\n' "$scratch/Documents" >"$scratch/config/user-dirs.dirs"
    cp /usr/share/tarvasto/aviation.ckl "$scratch/flights/c172 trip.ckl"
    cp /usr/share/tarvasto/aviation.ckl "$scratch/flights/second.ckl"
    # The command a file manager runs for a double-clicked file: the Exec line, %f its path.
    exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/tarvasto.desktop)
    [[ $exec_line == *%f* ]] || { echo "package-check: Exec= takes no file" >&2; exit 1; }
    status=0
    env HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" \
        xvfb-run -a bash -c '
            open_file() { eval "exec ${exec_line//%f/\"\$1\"}"; }
            exec_line=$1
            open_file "$2" &
            first=$!
            # Once the first copy answers, a second start hands its file over and ends.
            for _ in $(seq 100); do
                compgen -G "$XDG_RUNTIME_DIR/tarvasto-*.socket" >/dev/null && break
                sleep 0.2
            done
            (timeout 20 bash -c "$(declare -f open_file); exec_line=\$1; open_file \"\$2\"" \
                _ "$exec_line" "$3") || exit 3
            kill -0 "$first" || exit 4
            sleep 5
            kill -0 "$first" || exit 5
            if command -v import >/dev/null; then import -window root "$4" || true; fi
            kill "$first"
        ' _ "$exec_line" "$scratch/flights/c172 trip.ckl" "$scratch/flights/second.ckl" \
        "$build/package-check-screen.png" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "package-check: opening .ckl files through the desktop entry failed ($status)" >&2
        exit 1
    fi
    echo "tarvasto opened a .ckl file from its desktop entry and took a second one over"
fi

echo "== Package check passed"
