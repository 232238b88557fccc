#!/usr/bin/env bash
# Builds the Debian package from a configured build tree with CPack, then checks it as a user's system
# would see it: its control fields, its file list, the desktop entry and metainfo through their
# validators, the manual pages, find_package(Quorvane), and the packaged quorvane-cli on a picture.
# Usage: package_test.sh BUILD_DIR WORK_DIR PICTURE
set -euo pipefail
build=$1 work=$2 picture=$3
rm -rf "$work"
mkdir -p "$work"
fail() { echo "package_test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/quorvane_*.deb)

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == quorvane ]] || fail "Package is $(field Package)"
[[ $(field Version) == "$(grep -m1 'CPACK_PACKAGE_VERSION ' "$build/CPackConfig.cmake" | cut -d'"' -f2)" ]] ||
    fail "Version $(field Version) is not the project's"
[[ $(field Section) == electronics ]] || fail "Section is $(field Section)"
[[ $(field Maintainer) == *@* ]] || fail "Maintainer has no address: $(field Maintainer)"
[[ -n $(field Description) ]] || fail "no Description"
# dpkg-shlibdeps found these from the programs themselves; only libimagequant0, loaded when a palette is
# first chosen, is named by hand.
for library in libc6 libpng16-16 libqt6widgets6 libstdc++6 libimagequant0 liblz4-1; do
    [[ $(field Depends) == *"$library "* ]] || fail "Depends lacks $library: $(field Depends)"
done

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in usr/bin/quorvane usr/bin/quorvane-cli usr/libexec/quorvane/quorvane-cli-full usr/lib/cmake/Quorvane/Quorvane.cmake \
    usr/lib/cmake/Quorvane/QuorvaneConfig.cmake usr/lib/cmake/Quorvane/QuorvaneConfigVersion.cmake \
    usr/share/applications/org.quorvane.Quorvane.desktop \
    usr/share/icons/hicolor/scalable/apps/org.quorvane.Quorvane.svg \
    usr/share/metainfo/org.quorvane.Quorvane.metainfo.xml \
    usr/share/man/man1/quorvane.1.gz usr/share/man/man1/quorvane-cli.1.gz \
    usr/share/bash-completion/completions/quorvane-cli usr/share/doc/quorvane/copyright; do
    grep -qx "./$file" <<< "$listing" || fail "the package lacks /$file"
done
if grep -v '^\./usr/' <<< "$listing" | grep -q .; then fail "files outside /usr: $(grep -v '^\./usr/' <<< "$listing")"; fi

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.quorvane.Quorvane.desktop" || fail "desktop entry refused"
grep -qx 'Exec=quorvane %f' "$root/usr/share/applications/org.quorvane.Quorvane.desktop" || fail "Exec line"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quorvane.Quorvane.metainfo.xml" ||
    fail "metainfo refused"
for page in quorvane quorvane-cli; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH' || fail "$page.1.gz is not a manual page"
done
bash -n "$root/usr/share/bash-completion/completions/quorvane-cli" || fail "completion script does not parse"
grep -q '^License: GPL-3.0-or-later' "$root/usr/share/doc/quorvane/copyright" || fail "the copyright file does not name the GPL"
grep -q 'GPL-3.0-or-later' "$root/usr/share/metainfo/org.quorvane.Quorvane.metainfo.xml" || fail "the metainfo's licence"

# The packaged program, from the extracted tree, on a picture: the same bytes as the build's own.
"$root/usr/bin/quorvane-cli" code --depth 12 --hex "$work/packaged.hex" "$picture" > "$work/packaged.c"
"$build/cli/quorvane-cli" code --depth 12 --hex "$work/built.hex" "$picture" > "$work/built.c"
cmp "$work/packaged.hex" "$work/built.hex" || fail "the packaged quorvane-cli writes other bytes"
cmp "$work/packaged.c" "$work/built.c" || fail "the packaged quorvane-cli writes other text"
# pack goes on to the packaged quorvane-cli-full, and a palette loads libimagequant.
"$root/usr/bin/quorvane-cli" pack --palette 4 --name sprites --output "$work/packaged-pack.c" "$picture" || fail "the packaged pack failed"
"$build/cli/quorvane-cli" pack --palette 4 --name sprites --output "$work/built-pack.c" "$picture"
cmp "$work/packaged-pack.c" "$work/built-pack.c" || fail "the packaged quorvane-cli packs other bytes"

# find_package(Quorvane) in the packaged tree gives quorvane_add_image.
mkdir -p "$work/consumer"
cat > "$work/consumer/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(consumer NONE)
find_package(Quorvane 1.0 REQUIRED)
if(NOT COMMAND quorvane_add_image)
    message(FATAL_ERROR "find_package(Quorvane) did not give quorvane_add_image")
endif()
CMAKE
cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$root/usr" > "$work/consumer.log" 2>&1 ||
    { cat "$work/consumer.log"; fail "find_package(Quorvane) failed"; }
echo "package_test: $(basename "$deb") holds $(grep -c . <<< "$listing") entries; all checks passed"
