#!/usr/bin/env bash
# The Debian package as a user's machine receives it: packed from this build, unpacked into a
# scratch root, and the installed program asked for its version, its options and the folders it
# uses, without a display, a sound server or the user's own files.
# Usage: package-test.sh <build folder> <scratch folder> <application id>
set -euo pipefail
build=$1
scratch=$2
app_id=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch/root" "$scratch/home"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack could not build the package"; }
debs=("$scratch"/pulsara_*.deb)
[ -f "${debs[0]}" ] || fail "no pulsara_*.deb in $scratch"
deb=${debs[0]}

# Dependencies are computed from the linked libraries; the fonts are named by hand.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in fonts-liberation2 libqt6widgets6 libpulse0 libasound2 libsqlite3-0 libqt6charts6; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "the package does not depend on $needed"
done

root=$scratch/root
dpkg -x "$deb" "$root"
program=$root/usr/bin/pulsara
data=$root/usr/share/pulsara
[ -x "$program" ] || fail "no usr/bin/pulsara in the package"

# The options are answered before any window: no display is needed, nor any device.
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u QT_QPA_PLATFORM \
        HOME="$scratch/home" "$program" "$@"
}
version=$(run --version) || fail "--version failed"
[[ "$version" =~ ^pulsara\ [0-9]+\.[0-9]+ ]] || fail "--version printed '$version'"
help=$(run --help) || fail "--help failed"
for option in --help --version --print-folders; do
    [[ "$help" == *"$option"* ]] || fail "--help does not mention $option"
done
if run --no-such-option >/dev/null 2>&1; then
    fail "an unknown option was accepted"
fi
# Qt's own options are left for Qt, as a session manager's restart passes them.
run -session 1234 -platform xcb --version >/dev/null || fail "Qt's options were refused"

folders=$(run --print-folders) || fail "--print-folders failed"
echo "$folders"
field() { sed -n "s/^$1: //p" <<<"$folders"; }
[ "$(field samples)" = "$data" ] || fail "the samples are looked for in '$(field samples)'"
[ "$(field 'help page')" = "$data/Help.htm" ] || fail "the help page is looked for elsewhere"
[ "$(field notebook)" = "$scratch/home/.local/share/Pulsara/notebook.txt" ] ||
    fail "the notebook is looked for in '$(field notebook)'"
[ "$(field settings)" = "$scratch/home/.config/Pulsara/Pulsara.conf" ] ||
    fail "the settings are looked for in '$(field settings)'"
for file in boom.wav boomi.wav bassdrum.wav snare.wav Help.htm; do
    [ -s "$data/$file" ] || fail "$file is missing from usr/share/pulsara"
done
[ ! -e "$scratch/home/.local" ] || fail "asking for the folders created the notebook's folder"

desktop-file-validate "$root/usr/share/applications/$app_id.desktop" ||
    fail "the desktop entry does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "the AppStream metadata do not validate"
[ -s "$root/usr/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "the icon is missing"
grep -q "notebook.txt" "$root/usr/share/man/man1/pulsara.1" ||
    fail "the man page does not say where the notes are"
echo "package ok: $(basename "$deb"), $(stat -c %s "$deb") bytes"
