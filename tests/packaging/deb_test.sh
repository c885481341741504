#!/usr/bin/env bash
# The Debian package as a user gets it: built by cpack from this build tree,
# unpacked with dpkg-deb -x into a folder of its own (not installed), and run
# from there: its programs find their library through their relative run path.
#
# Usage: deb_test.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: deb_test.sh BUILD_DIR}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null 2>&1 || fail "the package test needs $tool (packages cmake, dpkg-dev)"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
package=$(find "$work/out" -maxdepth 1 -name 'kestrune_*.deb' | head -n 1)
[ -n "$package" ] || fail "cpack made no kestrune package"

depends=$(dpkg-deb -f "$package" Depends)
for needed in libmp3lame0 libcdio libc6; do
    [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done
if [ -n "${KESTRUNE_GUI_PACKAGE:-}" ]; then
    [[ "$depends" == *libqt6widgets6* ]] || fail "the package does not depend on Qt: $depends"
fi

root="$work/root"
dpkg-deb -x "$package" "$root"
for file in usr/bin/kestrune-rip usr/bin/mkdisc usr/lib/kestrune/libdiscread.so \
    usr/share/man/man1/kestrune-rip.1; do
    [ -e "$root/$file" ] || fail "the package holds no $file"
done
if [ -n "${KESTRUNE_GUI_PACKAGE:-}" ]; then
    for file in usr/bin/kestrune usr/share/applications/kestrune.desktop \
        usr/share/mime/packages/kestrune-cda.xml usr/share/icons/hicolor/48x48/apps/kestrune.png; do
        [ -e "$root/$file" ] || fail "the package holds no $file"
    done
fi

version=$(timeout 20 "$root/usr/bin/kestrune-rip" --version) || fail "kestrune-rip --version failed"
[[ "$version" == "kestrune-rip "* ]] || fail "kestrune-rip --version said: $version"

# A demo disc, ripped by the unpacked programs only.
timeout 60 "$root/usr/bin/mkdisc" "$work/disc" audio:2:sine=440@-9 audio:1 >/dev/null ||
    fail "mkdisc from the package failed"
timeout 120 "$root/usr/bin/kestrune-rip" --disc "$work/disc.cue" --track 1 -o "$work/one.mp3" \
    2>"$work/rip.log" || { cat "$work/rip.log" >&2; fail "the rip from the package failed"; }
size=$(stat -c %s "$work/one.mp3")
# Two seconds at 128 kbit/s, with the encoder's header and the tag.
[ "$size" -gt 30000 ] && [ "$size" -lt 40000 ] || fail "the ripped file has $size bytes"
[ "$(tail -c 128 "$work/one.mp3" | head -c 3)" = TAG ] || fail "the ripped file has no tag"
echo "the package builds, unpacks and rips"
