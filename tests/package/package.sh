#!/usr/bin/env bash
# package.sh BUILD_DIR KELVO_PROGRAM VERSION
# Installs the "kelvo" component under a scratch DESTDIR with prefix /usr and
# checks the desktop entry, the AppStream file and the icons; then builds the
# Debian package into a scratch folder, checks its files and fields, and
# starts the unpacked program from its desktop entry under Xvfb.
set -euo pipefail
build=$1
program=$2
version=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

app=com.example.kelvo
installed=(
    usr/bin/kelvo
    usr/share/applications/$app.desktop
    usr/share/metainfo/$app.metainfo.xml
    usr/share/icons/hicolor/16x16/apps/kelvo.png
    usr/share/icons/hicolor/32x32/apps/kelvo.png
    usr/share/icons/hicolor/48x48/apps/kelvo.png
)

# Checks an installed tree (the DESTDIR or the unpacked package) rooted at $1.
check_tree() {
    local root=$1 what=$2 f size got
    for f in "${installed[@]}"; do
        [ -f "$root/$f" ] || fail "$what: $f is missing"
    done
    [ -x "$root/usr/bin/kelvo" ] || fail "$what: usr/bin/kelvo is not executable"
    if ldd "$root/usr/bin/kelvo" | grep -q 'not found'; then
        fail "$what: kelvo needs a library that is not there"
    fi
    desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "$what: desktop entry rejected"
    appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" >"$work/as.log" 2>&1 ||
        { cat "$work/as.log" >&2; fail "$what: metainfo rejected"; }
    grep -qx 'Name=TQ Kelvo' "$root/usr/share/applications/$app.desktop" || fail "$what: desktop Name"
    grep -qx 'Exec=kelvo' "$root/usr/share/applications/$app.desktop" || fail "$what: desktop Exec"
    grep -qx 'Icon=kelvo' "$root/usr/share/applications/$app.desktop" || fail "$what: desktop Icon"
    grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" \
        "$root/usr/share/metainfo/$app.metainfo.xml" || fail "$what: metainfo has no dated release $version"
    grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" \
        "$root/usr/share/metainfo/$app.metainfo.xml" || fail "$what: metainfo launchable"
    for size in 16 32 48; do
        f=$root/usr/share/icons/hicolor/${size}x${size}/apps/kelvo.png
        got=$(identify -format '%m %wx%h' "$f" 2>/dev/null || echo unreadable)
        [ "$got" = "PNG ${size}x${size}" ] || fail "$what: icon ${size}x${size} is '$got'"
    done
}

# Install into a scratch DESTDIR.
DESTDIR=$work/dest cmake --install "$build" --prefix /usr --component kelvo >/dev/null
check_tree "$work/dest" install
cmp -s "$program" "$work/dest/usr/bin/kelvo" || fail "install: bin/kelvo is not the built program"
extra=$(cd "$work/dest" && find . -type f | sed 's|^\./||' | sort | comm -23 - <(printf '%s\n' "${installed[@]}" | sort))
[ -z "$extra" ] || fail "install: unexpected files: $extra"

# Build the package into a scratch folder, leaving the build folder alone.
cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; exit 1; }
deb=$work/pkg/kelvo_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work/pkg" >&2; fail "no kelvo_${version}_amd64.deb"; exit 1; }

listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./||' | sort)
[ "$listed" = "$(printf '%s\n' "${installed[@]}" | sort)" ] ||
    fail "package lists other files than the install: $listed"
dpkg-deb -x "$deb" "$work/unpacked"
check_tree "$work/unpacked" package
for f in "${installed[@]:1}"; do
    cmp -s "$work/dest/$f" "$work/unpacked/$f" || fail "package: $f differs from the install"
done

[ "$(dpkg-deb -f "$deb" Package)" = kelvo ] || fail "Package field"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version field"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libc6 libstdc++6 libgcc-s1 libsdl2-2.0-0 libx11-6 libfreetype6 libfontconfig1 libsqlite3-0 fonts-liberation fonts-dejavu-core xdg-utils; do
    tr -d ' ' <<<"$depends" | tr ',' '\n' | grep -qx "$dep" || fail "Depends lacks $dep: $depends"
done

# The unpacked program starts from its desktop entry's Exec line on a private
# display and opens its main window.
CLEANUP_DIR=$work
# shellcheck source=../desktop/xvfb_lib.sh
source "$(dirname "$0")/../desktop/xvfb_lib.sh"
start_xvfb
exec_line=$(sed -n 's/^Exec=//p' "$work/unpacked/usr/share/applications/$app.desktop")
mkdir -p "$work/config"
PATH=$work/unpacked/usr/bin:$PATH XDG_CONFIG_HOME=$work/config $exec_line >"$work/run.log" 2>&1 &
kelvo_pid=$!
if ! wait_for 20 xdotool search --name '^TQ Kelvo'; then
    cat "$work/run.log" >&2
    echo "FAIL: the unpacked program opened no window" >&2
    failures=$((failures + 1))
fi
kill "$kelvo_pid" 2>/dev/null || true
wait "$kelvo_pid" 2>/dev/null || true

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package: install and .deb checked"
