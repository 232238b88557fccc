#!/usr/bin/env bash
# Makes the README's picture of the preview window beside the main window: the window program started
# with --preview on the quality benchmark's gradient, under a virtual X display, the screen captured
# with ImageMagick's import and trimmed to the two windows. Run after a build of the given preset; needs
# xvfb-run (scripts/install-deps.sh) and ImageMagick (scripts/install-deps.sh --bench).
set -euo pipefail
cd "$(dirname "$0")/.."
build="build/${PRESET:-release}"
out=docs/preview-window.png
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/quorvane_dither_quality" --gradient "$work/gradient.bmp"

# A first run's settings but for the zoom, in a folder of this run's own.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Quorvane"
printf '[preview]\nzoom=2\n' >"$XDG_CONFIG_HOME/Quorvane/Quorvane.conf"

export QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=disabled: PROGRAM="$build/ui/quorvane" WORK="$work"
# Wide enough for the preview to stand beside the centred main window; no window manager, so no frames.
xvfb-run -a -s "-screen 0 1920x720x24" bash -c '
    "$PROGRAM" --preview "$WORK/gradient.bmp" &
    program=$!
    for _ in $(seq 50); do xwininfo -root -tree | grep -q "\"Preview\"" && break; sleep 0.1; done
    sleep 1 # the first paint
    import -window root "$WORK/screen.png"
    kill "$program"'
mkdir -p "$(dirname "$out")"
convert "$work/screen.png" -trim +repage "$out"
echo "preview-screenshot: wrote $out"
