#!/usr/bin/env bash
# Installs the build as a package would (prefix /usr, staged below a scratch
# DESTDIR) and checks that every file is in its freedesktop place and nothing
# else is installed, that the icons have their sizes, that the desktop entry
# and the metainfo pass the distribution's validators, and that the uninstall
# removes exactly the installed files.
#
# usage: check-install.sh BUILD_DIR SOURCE_DIR
# Exit codes: 0 passed, 1 failed, 77 a validator is missing (skipped).
set -euo pipefail
build=$1
source=$2
id=io.github.orbisk.Orbisk
sizes=(16 22 24 32 48 64 128 256)

for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "install: $tool is not installed (scripts/setup.sh installs it); skipped"
    exit 77
  fi
done

stage=$(mktemp -d "${TMPDIR:-/tmp}/orbisk-install.XXXXXX")
trap 'rm -rf "$stage"' EXIT
fail() { echo "install: FAILED: $*"; exit 1; }

# A file of another program where ours go: the uninstall must leave it.
mkdir -p "$stage/usr/share/applications"
echo keep > "$stage/usr/share/applications/other.desktop"

DESTDIR=$stage cmake --install "$build" --prefix /usr > "$stage.log" 2>&1 ||
  fail "cmake --install: $(cat "$stage.log")"
rm -f "$stage.log"

expected=(usr/bin/orbisk usr/bin/orbisk-extract usr/bin/orbisk-thumbnailer
          usr/share/applications/$id.desktop usr/share/applications/other.desktop
          usr/share/thumbnailers/orbisk.thumbnailer
          usr/share/metainfo/$id.metainfo.xml
          usr/share/icons/hicolor/scalable/apps/$id.svg
          usr/share/man/man1/orbisk.1.gz usr/share/man/man1/orbisk-extract.1.gz
          usr/share/man/man1/orbisk-thumbnailer.1.gz
          usr/share/doc/orbisk/copyright usr/share/doc/orbisk/changelog.gz
          usr/share/bash-completion/completions/orbisk-extract)
for size in "${sizes[@]}"; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
found=$(cd "$stage" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$found" = "$wanted" ] || fail "installed files differ:
$(diff <(echo "$wanted") <(echo "$found") || true)"
for program in orbisk orbisk-extract orbisk-thumbnailer; do
  [ -x "$stage/usr/bin/$program" ] || fail "$program is not executable"
done

# Each PNG is a square of its folder's size (width and height in IHDR).
for size in "${sizes[@]}"; do
  png=$stage/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
  read -r -a header <<< "$(od -An -tu1 -w24 -N24 "$png")"
  [ "${header[*]:0:8}" = "137 80 78 71 13 10 26 10" ] || fail "$png is not a PNG file"
  width=$(( (header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19] ))
  height=$(( (header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23] ))
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is $width x $height, not $size x $size"
done

# Every installed program has its manual page, which man reads without a
# complaint.
for program in orbisk orbisk-extract orbisk-thumbnailer; do
  page=$stage/usr/share/man/man1/$program.1.gz
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot read $program.1"
  [ -z "$warnings" ] || fail "$program.1: $warnings"
done
bash -n "$stage/usr/share/bash-completion/completions/orbisk-extract" || fail "the bash completion does not parse"

desktop=$stage/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli rejects the metainfo"
# What the entry and the metainfo name is installed: the program the entry
# runs (given the file it is opened with), its icon, the entry itself.
read -r program field <<< "$(sed -n 's/^Exec=//p' "$desktop")"
[ -x "$stage/usr/bin/$program" ] || fail "the desktop entry runs $program, which is not installed"
[ "$field" = %f ] || fail "the desktop entry does not hand the program the file it opens: $field"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$stage/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the icon $icon is not installed"
# The thumbnailer entry runs the installed thumbnailer for the types the
# desktop entry opens.
thumbnailer=$stage/usr/share/thumbnailers/orbisk.thumbnailer
read -r program _ <<< "$(sed -n 's/^Exec=//p' "$thumbnailer")"
[ -x "$stage/usr/bin/$program" ] || fail "the thumbnailer entry runs $program, which is not installed"
[ "$(sed -n 's/^MimeType=//p' "$thumbnailer")" = "$(sed -n 's/^MimeType=//p' "$desktop")" ] ||
  fail "the thumbnailer entry and the desktop entry name different types"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$stage/usr/share/metainfo/$id.metainfo.xml")
[ -f "$stage/usr/share/applications/$launchable" ] || fail "the metainfo launches $launchable, which is not installed"

DESTDIR=$stage cmake -DMANIFEST="$build/install_manifest.txt" -P "$source/cmake/Uninstall.cmake" > /dev/null ||
  fail "the uninstall failed"
left=$(cd "$stage" && find . -type f -printf '%P\n')
[ "$left" = "usr/share/applications/other.desktop" ] || fail "the uninstall left or took: $left"
echo "install: passed"
