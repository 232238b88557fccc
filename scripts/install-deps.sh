#!/usr/bin/env bash
# Installs, with apt-get, only the Debian packages this project needs that are missing.
# Safe to run again and again: when everything is present it changes nothing and needs no network.
# With --bench it also installs the yardsticks that `make bench` times the program against; neither
# the programs nor the package ever need them.
set -euo pipefail

packages=(
    g++ cmake ninja-build make pkg-config
    qt6-base-dev           # Widgets, Test; ui/ only
    libgtest-dev libbenchmark-dev
    libpng-dev             # PNG in (every colour type) and the preview PNG out, without Qt
    libjpeg62-turbo-dev    # JPEG in: baseline, progressive, greyscale
    libgif-dev             # GIF in: every frame, composed one after the other
    libwebp-dev            # WebP in, still or animated (libwebpdemux composes the frames)
    libtbb-dev             # pack --jobs: oneTBB's work-stealing pool converts assets and frames
    libfreetype-dev        # font: renders TrueType, OpenType, WOFF, BDF and PCF glyphs exactly
    libharfbuzz-dev        # font: advances and kerning (GPOS or 'kern') as text shaping applies them
    libfontconfig-dev      # the Font window lists the system's fonts by family and style
    libexif-dev            # a JPEG's EXIF orientation
    libimagequant-dev      # --palette: chooses a picture's colours (GPL-3.0-or-later)
    liblz4-dev             # --compress lz4: LZ4 blocks at the highest level
    zlib1g-dev             # the tests build damaged PNG files chunk by chunk
    clang libclang-rt-dev  # libFuzzer targets
    xvfb xauth xclip       # clipboard test seen by another program
    x11-utils              # xwininfo: the preview window as another program finds it
    fonts-dejavu-core      # a font for Qt to lay out text on the offscreen platform; the font tests'
    fonts-liberation2 fonts-wqy-microhei fonts-font-awesome xfonts-base  # the font tests: kern tables, GPOS only and CJK, icons, PCF
    dpkg-dev file          # make package: dpkg-shlibdeps finds the package's dependencies
    desktop-file-utils appstream  # validate the desktop entry and the AppStream metainfo
    gcc-avr avr-libc       # the tests compile the generated AVR source and header with avr-gcc
    gcc-arm-none-eabi libnewlib-arm-none-eabi  # the tests build the decoder for a Cortex-M0 and size it
)

if [ "${1:-}" = "--bench" ]; then
    packages+=(
        imagemagick        # convert -resize: the fit benchmark's yardstick for a PNG
        libvips-tools      # vipsthumbnail: the fit benchmark's yardstick for a JPEG
        pngquant           # the palette benchmark's yardstick for quality and time
        gifsicle           # the pack benchmark's yardstick for an animation's bytes
        time               # GNU time: a conversion's own peak memory, apart from the benchmark's
        valgrind           # callgrind: the font decoder's instructions a pixel
    )
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
