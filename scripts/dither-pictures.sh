#!/usr/bin/env bash
# Makes the README's dithering pictures with the tool's own --preview: the two-axis gradient of the
# quality benchmark at 8 Bit, once per dithering mode. Run after a build of the given preset.
set -euo pipefail
cd "$(dirname "$0")/.."
build="build/${PRESET:-release}"
out=docs/dither
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/quorvane_dither_quality" --gradient "$work/gradient.bmp"
for mode in none ordered fs; do
    "$build/cli/quorvane-cli" code --depth 8 --dither "$mode" --preview "$out/gradient-8bit-$mode.png" \
        --output /dev/null "$work/gradient.bmp"
done
echo "dither-pictures: wrote $out/gradient-8bit-{none,ordered,fs}.png"
