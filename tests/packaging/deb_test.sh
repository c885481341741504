#!/usr/bin/env bash
# The Debian package as a user gets it: built by cpack from this build tree,
# checked by lintian, desktop-file-validate and appstreamcli, unpacked with
# dpkg-deb -x into a folder of its own and run from there under LD_BIND_NOW=1
# (every symbol of every program bound at start: a damaged symbol table fails
# at once, not in the middle of a rip). Where it runs as root it also installs
# the package with apt-get, rips as a normal user, and removes it again.
#
# Usage: deb_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=${1:?usage: deb_test.sh BUILD_DIR SOURCE_DIR}
source_dir=${2:?usage: deb_test.sh BUILD_DIR SOURCE_DIR}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $*"; }
for tool in cpack dpkg-deb dpkg-shlibdeps lintian readelf file; do
    command -v "$tool" >/dev/null 2>&1 ||
        fail "the package test needs $tool (packages cmake, dpkg-dev, lintian, binutils, file)"
done
work=$(mktemp -d)
chmod 755 "$work"
installed='' user=''
cleanup() {
    local status=$?
    if [ -n "$installed" ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -q kestrune >/dev/null 2>&1 || true
    fi
    [ -z "$user" ] || userdel -r "$user" >/dev/null 2>&1 || true
    rm -rf "$work"
    exit $status
}
trap cleanup EXIT

step "cpack builds the package and its debug symbols"
(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
package=$(find "$work/out" -maxdepth 1 -name 'kestrune_*.deb' | head -n 1)
[ -n "$package" ] || fail "cpack made no kestrune package"
[ -n "$(find "$work/out" -maxdepth 1 -name 'kestrune-dbgsym_*.ddeb')" ] ||
    fail "cpack made no debug-symbol package"
[ "$(dpkg-deb -f "$package" Version)" = 1.0.0-1 ] ||
    fail "the package's version is $(dpkg-deb -f "$package" Version)"

depends=$(dpkg-deb -f "$package" Depends)
for needed in libmp3lame0 libcdio libc6; do
    [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done
if [ -n "${KESTRUNE_GUI_PACKAGE:-}" ]; then
    [[ "$depends" == *libqt6widgets6* ]] || fail "the package does not depend on Qt: $depends"
fi
description=$(dpkg-deb -f "$package" Description)
[ "$(wc -l <<<"$description")" -gt 3 ] || fail "the package has no extended description: $description"
control=$(dpkg-deb --ctrl-tarfile "$package" | tar -t)
for script in postinst postrm preinst prerm; do
    grep -q "$script" <<<"$control" && fail "the package has a $script script: $control"
done

step "lintian finds no error and no warning"
lintian --fail-on error,warning --display-level '>=warning' "$package" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian complains about the package"; }
grep -E '^[EW]: ' "$work/lintian.log" && fail "lintian complains about the package"

root="$work/root"
dpkg-deb -x "$package" "$root"
libdir=$(dirname "$(find "$root/usr/lib" -name libdiscread.so | head -n 1)")
[ -f "$libdir/libdiscread.so" ] || fail "the package holds no libdiscread.so"
for file in usr/bin/kestrune-rip usr/bin/mkdisc usr/share/man/man1/kestrune-rip.1.gz \
    usr/share/man/man1/mkdisc.1.gz usr/share/doc/kestrune/copyright \
    usr/share/doc/kestrune/changelog.Debian.gz; do
    [ -e "$root/$file" ] || fail "the package holds no $file"
done
programs=(kestrune-rip mkdisc)
if [ -n "${KESTRUNE_GUI_PACKAGE:-}" ]; then
    programs+=(kestrune)
    for file in usr/bin/kestrune usr/share/applications/kestrune.desktop \
        usr/share/mime/packages/kestrune-cda.xml usr/share/icons/hicolor/48x48/apps/kestrune.png \
        usr/share/solid/actions/kestrune-audiocd.desktop usr/share/man/man1/kestrune.1.gz \
        usr/share/metainfo/com.velmora.Kestrune.metainfo.xml; do
        [ -e "$root/$file" ] || fail "the package holds no $file"
    done
    step "desktop-file-validate and appstreamcli pass the entry and the metainfo"
    desktop-file-validate "$root/usr/share/applications/kestrune.desktop" ||
        fail "desktop-file-validate refuses kestrune.desktop"
    appstreamcli validate --no-net "$root/usr/share/metainfo/com.velmora.Kestrune.metainfo.xml" ||
        fail "appstreamcli refuses the metainfo"
fi

step "the programs are stripped, hardened and find their library relative to themselves"
for program in "${programs[@]}" ../lib/"${libdir#"$root/usr/lib/"}"/libdiscread.so; do
    binary="$root/usr/bin/$program"
    file -L "$binary" | grep -q ', stripped' || fail "$program is not stripped: $(file -L "$binary")"
    [ -n "${KESTRUNE_HARDENED_PACKAGE:-}" ] || continue
    dynamic=$(readelf -d "$binary")
    grep -q 'BIND_NOW' <<<"$dynamic" || fail "$program is not linked with -z now"
    readelf -l "$binary" | grep -q GNU_RELRO || fail "$program has no read-only relocations"
done
for program in "${programs[@]}"; do
    readelf -h "$root/usr/bin/$program" | grep -q 'DYN (Position-Independent Executable' ||
        fail "$program is not position-independent"
done
expected_runpath="\$ORIGIN/../${libdir#"$root/usr/"}"
for program in kestrune-rip ${KESTRUNE_GUI_PACKAGE:+kestrune}; do
    path=$(readelf -d "$root/usr/bin/$program" | sed -n 's/.*Library rpath: \[\(.*\)\]/\1/p')
    [ "$path" = "$expected_runpath" ] || fail "$program's run path is '$path', not '$expected_runpath'"
done

step "every program starts with every symbol bound at once"
export LD_BIND_NOW=1
version=$(timeout 20 "$root/usr/bin/kestrune-rip" --version) || fail "kestrune-rip --version failed"
[ "$version" = "kestrune-rip 1.0.0" ] || fail "kestrune-rip --version said: $version"
timeout 20 "$root/usr/bin/mkdisc" --help >/dev/null || fail "mkdisc --help failed"

step "a disc of four tracks, ripped whole by the unpacked kestrune-rip"
timeout 60 "$root/usr/bin/mkdisc" "$work/disc" audio:2:sine=440@-9 audio:1 audio:3 audio:2 \
    >/dev/null || fail "mkdisc from the package failed"
mkdir "$work/all"
timeout 120 "$root/usr/bin/kestrune-rip" --disc "$work/disc.cue" --all -o "$work/all/Track%n.mp3" \
    2>"$work/rip.log" || { cat "$work/rip.log" >&2; fail "the --all rip from the package failed"; }
for track in 01 02 03 04; do
    file="$work/all/Track$track.mp3"
    [ -s "$file" ] || fail "the --all rip wrote no Track$track.mp3"
    [ "$(tail -c 128 "$file" | head -c 3)" = TAG ] || fail "Track$track.mp3 has no tag"
done
size=$(stat -c %s "$work/all/Track01.mp3")
# Two seconds at 128 kbit/s, with the encoder's header and the tag.
[ "$size" -gt 30000 ] && [ "$size" -lt 40000 ] || fail "Track01.mp3 has $size bytes"

if [ -n "${KESTRUNE_GUI_PACKAGE:-}" ]; then
    step "the unpacked desktop program rips a track on a real display"
    mkdir "$work/music"
    bash "$source_dir/tests/packaging/desktop_rip.sh" "$root/usr/bin/kestrune" "$work/disc.cue" \
        "$work/music" || fail "the desktop rip from the unpacked package failed"
    size=$(stat -c %s "$work/music/Track01.mp3")
    [ "$size" -gt 30000 ] && [ "$size" -lt 40000 ] || fail "the desktop rip has $size bytes"
fi
unset LD_BIND_NOW

if [ "$(id -u)" -ne 0 ]; then
    echo "the package builds, passes lintian, unpacks and rips (not root: not installed)"
    exit 0
fi
if dpkg-query -W -f='${Status}' kestrune 2>/dev/null | grep -q 'installed'; then
    echo "the package builds, passes lintian, unpacks and rips;" \
        "kestrune is installed on this machine already, so it was not installed again"
    exit 0
fi

step "apt-get installs the package; a normal user rips with it; it is removed without a trace"
cp "$package" "$work/kestrune.deb"
chmod 644 "$work/kestrune.deb"
installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "$work/kestrune.deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
user="kestrune-test-$$"
useradd --create-home --shell /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
cp "$work/disc.cue" "$work/disc.bin" "$home/"
chown "$user:" "$home/disc.cue" "$home/disc.bin"
runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LD_BIND_NOW=1 KESTRUNE_OFFLINE=1 \
    sh -c 'cd "$HOME" && kestrune-rip --disc disc.cue --all -o "Track%n.mp3" && ls Track0*.mp3' \
    >"$work/user.log" 2>&1 || { cat "$work/user.log" >&2; fail "the installed kestrune-rip failed for a user"; }
[ "$(grep -c '^Track0[1-4].mp3$' "$work/user.log")" -eq 4 ] ||
    { cat "$work/user.log" >&2; fail "the user's rip did not write four tracks"; }
[ -f "$home/.config/kestrune/discread.ini" ] || fail "the user's settings are not in ~/.config/kestrune"

files=$(dpkg-query -L kestrune)
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q kestrune >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get purge failed"; }
installed=''
while read -r path; do
    [ -n "$path" ] && [ ! -d "$path" ] && [ -e "$path" ] && fail "$path is left after the package was removed"
done <<<"$files"
echo "the package builds, passes lintian, unpacks, rips, installs for a user and goes without a trace"
