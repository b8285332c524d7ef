#!/usr/bin/env bash
# Takes the user guide's pictures of the real program afresh and writes them to docs/images/.
#   scripts/screenshots.sh [BUILD_DIR]     (default build/screenshots, a Release build)
# Each picture comes from a fresh start of tarvasto on a virtual display with a plain window
# manager (openbox, for the title bars), in a throwaway home whose documents folder holds the
# sample checklists, driven with the keyboard through xdotool.
# Exits 1 when a picture could not be taken (its old file is then left as it was).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
images="$here/docs/images"

# --- Outside the virtual display: tools, build, then run this script again inside one. ---
if [ -z "${TARVASTO_SCREENSHOTS_INSIDE:-}" ]; then
    build=$(realpath -m "${1:-$here/build/screenshots}")
    tools=(xvfb-run:xvfb xauth:xauth import:imagemagick xdotool:xdotool openbox:openbox
        xprop:x11-utils)
    missing=()
    for entry in "${tools[@]}"; do
        command -v "${entry%%:*}" >/dev/null || missing+=("${entry#*:}")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends "${missing[@]}"
    fi
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DTARVASTO_TESTS=OFF -DTARVASTO_BENCHMARKS=OFF >/dev/null
    fi
    cmake --build "$build" --target tarvasto -j "$(nproc 2>/dev/null || echo 2)"
    mkdir -p "$images"
    exec env TARVASTO_SCREENSHOTS_INSIDE=1 TARVASTO_PROGRAM="$build/ui/tarvasto" \
        xvfb-run -a -s "-screen 0 1280x800x24" "${BASH_SOURCE[0]}"
fi

# --- Inside the virtual display. ---
program=$TARVASTO_PROGRAM
scratch=$(mktemp -d)
pid=""
failed=()

wm=""
stop_program() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        pid=""
    fi
}
trap 'stop_program; [ -z "$wm" ] || kill "$wm" 2>/dev/null; rm -rf "$scratch"' EXIT

# The same look on every machine: Qt's own style at 96 dots per inch, no desktop theme.
export LANG=C.UTF-8 QT_QPA_PLATFORMTHEME="" QT_STYLE_OVERRIDE=Fusion QT_FONT_DPI=96 \
    QT_SCALE_FACTOR=1

mkdir -p "$scratch/wm"
HOME="$scratch/wm" XDG_CONFIG_HOME="$scratch/wm" openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done

# The visible windows of the program: its screen, and any menu or dialog open over it.
windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true; }

# Waits until the program shows at least count windows; false after five seconds.
wait_for_windows() {
    local count=$1
    for _ in $(seq 50); do
        if [ "$(windows | wc -l)" -ge "$count" ]; then
            sleep 0.4 # let it finish drawing
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Starts tarvasto in a fresh home: the remembered default file is the sample in its documents
# folder, as at a user's first start.
start_program() {
    local home="$scratch/home-$RANDOM"
    mkdir -p "$home/config" "$home/Documents"
    mkdir -m 700 "$home/runtime"
    printf 'XDG_DOCUMENTS_DIR="%s"\n' "$home/Documents" >"$home/config/user-dirs.dirs"
    cp "$here/samples/aviation.ckl" "$home/Documents/aviation.ckl"
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" \
        "$program" >/dev/null 2>&1 &
    pid=$!
    wait_for_windows 1
    main=$(windows | head -n 1)
    xdotool windowactivate --sync "$main"
}

keys() {
    xdotool key --delay 120 "$@"
    sleep 0.3
}

# Writes docs/images/name.png: the part of the display that the program's windows cover, with
# their title bars and frames.
shot() {
    local name=$1 left=100000 top=100000 right=0 bottom=0 X Y WIDTH HEIGHT frame
    local frameLeft frameRight frameTop frameBottom
    for window in $(windows); do
        # xwininfo, because xdotool misplaces windows that the window manager has framed.
        eval "$(xwininfo -id "$window" | sed -n \
            -e 's/^ *Absolute upper-left X: *\(-\?[0-9]*\)$/X=\1/p' \
            -e 's/^ *Absolute upper-left Y: *\(-\?[0-9]*\)$/Y=\1/p' \
            -e 's/^ *Width: *\([0-9]*\)$/WIDTH=\1/p' -e 's/^ *Height: *\([0-9]*\)$/HEIGHT=\1/p')"
        # "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom", absent on menus.
        frame=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
        if [ -n "$frame" ]; then
            IFS=, read -r frameLeft frameRight frameTop frameBottom <<<"$frame"
            X=$((X - frameLeft)) Y=$((Y - frameTop))
            WIDTH=$((WIDTH + frameLeft + frameRight)) HEIGHT=$((HEIGHT + frameTop + frameBottom))
        fi
        left=$((X < left ? X : left))
        top=$((Y < top ? Y : top))
        right=$((X + WIDTH > right ? X + WIDTH : right))
        bottom=$((Y + HEIGHT > bottom ? Y + HEIGHT : bottom))
    done
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
        -strip -define png:exclude-chunks=date,time "$images/$name.png"
    echo "docs/images/$name.png"
}

# Takes picture name once the program shows count windows; otherwise notes it as missing.
shot_when() {
    local count=$1 name=$2
    if wait_for_windows "$count"; then
        shot "$name"
    else
        echo "screenshots: $name: the window did not open; kept the old picture" >&2
        failed+=("$name")
    fi
}

# The screen as it opens.
start_program
shot screen
stop_program

# Three items ticked with Space alone (each tick moves on to the next item), the fourth selected.
start_program
keys Down space space space
shot ticked
stop_program

# A phone held upright: the window 360 pixels wide, the end of the first list, where a long item
# wraps onto a second line.
start_program
xdotool windowsize --sync "$main" 360 640
xdotool windowactivate --sync "$main"
keys Down End
shot narrow
stop_program

# F10 opens the File menu with no entry chosen; Right moves on to Edit, Help and Lists, each
# opened with its first entry chosen. Down steps over the separators.
start_program
keys F10
shot_when 2 file-menu
stop_program

# The Edit menu after a change: Edit Item (F2) confirmed with Enter, so that Undo names it.
start_program
keys Down F2
if wait_for_windows 2; then
    keys Return
fi
keys F10 Right
shot_when 2 edit-menu
stop_program

start_program
keys F10 Right Right Right
shot_when 2 lists-menu
stop_program

# Edit > Add Item, with a text typed in. Down goes from New Checklist past Delete Checklist and
# Rename Checklist to Add Item.
start_program
keys F10 Right Down Down Down Return
if wait_for_windows 2; then
    # The dialog opens with the cursor in its box.
    xdotool type --delay 40 "BRAKES ..... CHECK"
    sleep 0.3
fi
shot_when 2 add-item
stop_program

# F2 on the fourth item: Edit Item, its text filled in.
start_program
keys Down Down Down Down F2
shot_when 2 edit-item
stop_program

# File > Import..., chosen but not opened.
start_program
keys F10 Down Down Down Down Down
shot_when 2 import-export
stop_program

# File > Configure Hot Buttons, after Import... and Export....
start_program
keys F10 Down Down Down Down Down Down Down Return
shot_when 2 hot-buttons
stop_program

# A change (Edit > Move item down on the first item), then OK: the save question.
start_program
keys Down F10 Right Down Down Down Down Down Down Down Return
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH - 30)) 10 click 1
shot_when 2 save-question
stop_program

# The Go menu, after Lists.
start_program
keys F10 Right Right Right Right
shot_when 2 go-menu
stop_program

# The first list worked through with Space alone: the cue that it is complete, and the button
# to the next list.
start_program
keys Down
for _ in $(seq 28); do
    xdotool key space
done
sleep 0.4
shot complete
stop_program

# Ctrl+E with several emergency lists: their menu over the tree.
start_program
keys ctrl+e
shot_when 2 emergency
stop_program

# Items drawn by their kind: the engine fire list (the Fire hot button, the fourth) with its
# warning and note; then the same by night (View > Night Colours, its first entry).
start_program
keys Tab Tab Tab Tab space
shot kinds
keys F10 Right Right Right Right Right Return
shot night
stop_program

# A phone held upright at the largest text: 360 by 720 pixels, the text at 300%.
start_program
xdotool windowsize --sync "$main" 360 720
xdotool windowactivate --sync "$main"
for _ in $(seq 8); do
    xdotool key ctrl+plus
done
sleep 0.4
shot large-text
stop_program

if [ ${#failed[@]} -gt 0 ]; then
    echo "screenshots: not taken: ${failed[*]}" >&2
    exit 1
fi
