#!/usr/bin/env bash
# Takes the README's screenshots of the real window in a private X server:
#   bash tools/take-screenshots.sh [BUILD-DIR]
# Needs the mouthkey and window_grab targets built, Xvfb and xdotool.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
app="$build/app/mouthkey"
grab="$build/tests/app/e2e/window_grab"

runtime="$(mktemp -d)"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset 3>"$runtime/display" &
xserver=$!
trap 'kill $xserver 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 50); do [ -s "$runtime/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$runtime/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime"

# shoot SAMPLE OUT.png X,Y [TARGET-ROW]: open SAMPLE from the command line,
# pick the Paste onto row if given (from 0, Position), convert, hover over the
# preview at X,Y, grab. The window keeps the size it opens at.
shoot() {
    "$app" "$1" >/dev/null &
    local pid=$! win
    win="$(xdotool search --sync --onlyvisible --pid "$pid" --name 'Mouthkey$' | head -1)"
    sleep 1.5
    # Alt+N is the pop-up's mnemonic, so focus reaches it wherever it was;
    # Down then steps through its rows without opening the list.
    if [ -n "${4:-}" ]; then
        xdotool windowfocus --sync "$win" key --clearmodifiers alt+n
        for _ in $(seq "$4"); do xdotool key --clearmodifiers Down; done
        sleep 0.5
    fi
    xdotool windowfocus --sync "$win" key --clearmodifiers ctrl+Return
    sleep 1
    xdotool mousemove --window "$win" "${3%,*}" "${3#*,}"
    sleep 1
    "$grab" "$win" "$2"
    xdotool windowfocus --sync "$win" key --clearmodifiers ctrl+q
    wait "$pid"
}

# shoot_playing SAMPLE OUT.png X,Y: open SAMPLE, click the preview at X,Y to
# put the playhead there, press Space and grab the take as it plays.
shoot_playing() {
    "$app" "$1" >/dev/null &
    local pid=$! win
    win="$(xdotool search --sync --onlyvisible --pid "$pid" --name 'Mouthkey$' | head -1)"
    sleep 1.5
    xdotool windowfocus --sync "$win"
    xdotool mousemove --window "$win" "${3%,*}" "${3#*,}" click 1
    xdotool key --clearmodifiers space
    # Away from the preview, so that no tool tip covers it.
    xdotool mousemove --window "$win" 5 5
    sleep 1.2
    "$grab" "$win" "$2"
    xdotool windowfocus --sync "$win" key --clearmodifiers ctrl+q
    wait "$pid"
}

# shoot_editing SAMPLE OUT.png: open a copy of SAMPLE with a stand-in sound
# beside it, zoom the timeline in, select a cue by keys, grab.
shoot_editing() {
    cp "$1" "$runtime/take.dat"
    python3 "$root/tools/make-take-sound.py" "$1" "$runtime/take.wav"
    XDG_DATA_HOME="$runtime" "$app" "$runtime/take.dat" >/dev/null &
    local pid=$! win
    win="$(xdotool search --sync --onlyvisible --pid "$pid" --name 'Mouthkey$' | head -1)"
    xdotool windowsize --sync "$win" 900 600
    sleep 1.5
    xdotool mousemove --window "$win" 300 300 click 1
    for _ in $(seq 12); do xdotool key --clearmodifiers ctrl+plus; done
    xdotool key --clearmodifiers Right Right
    xdotool mousemove --window "$win" 890 590
    sleep 1.2
    "$grab" "$win" "$2"
    xdotool windowfocus --sync "$win" key --clearmodifiers ctrl+q
    wait "$pid"
}

shoot "$root/samples/one-minute-dialogue-24fps.dat" "$root/docs/screenshot.png" 300,300
shoot "$root/samples/hand-edited-take.dat" "$root/docs/screenshot-findings.png" 70,330
shoot "$root/samples/see-you-soon.tsv" "$root/docs/screenshot-time-remap.png" 300,300 1
shoot_playing "$root/samples/one-minute-dialogue-24fps.dat" "$root/docs/screenshot-playing.png" 240,330
shoot_editing "$root/samples/one-minute-dialogue-24fps.dat" "$root/docs/screenshot-editing.png"
echo "saved docs/screenshot.png, docs/screenshot-findings.png, docs/screenshot-time-remap.png," \
    "docs/screenshot-playing.png and docs/screenshot-editing.png"
