#!/usr/bin/env bash
# Builds the Debian package from the build folder given, unpacks it into a scratch root and
# starts the unpacked program the way a clinic would: --version, then a first start in a scratch
# home that reaches the login window, then a second start on the same data folder.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
first=
cleanup() {
    if [ -n "$first" ]; then
        kill "$first" 2>/dev/null || true
        wait "$first" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/package/quillon_*.deb)
echo "package: $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6sql6-sqlite libqt6sql6-psql libsqlite3-0 libfreexl1 libminizip1 fonts-noto-cjk qt6-qpa-plugins qt6-translations-l10n; do
    grep -q "$needed" <<<"$depends" || fail "the package does not depend on $needed"
done
# The clinic's computers need the client driver only, never a database server.
if grep -Eq '(^|[ ,])postgresql(-[0-9]+)?( |,|$)' <<<"$depends"; then fail "the package depends on the PostgreSQL server"; fi

root="$scratch/root"
dpkg -x "$deb" "$root"
for file in usr/bin/quillon \
            usr/share/applications/org.quillon.Quillon.desktop \
            usr/share/metainfo/org.quillon.Quillon.metainfo.xml \
            usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/quillon.png \
            usr/share/icons/hicolor/scalable/apps/quillon.svg \
            usr/share/doc/quillon/copyright; do
    [ -f "$root/$file" ] || fail "$file is missing from the package"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/org.quillon.Quillon.desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.quillon.Quillon.metainfo.xml" || fail "appstreamcli validate"
fi

# `cmake --install` into a prefix gives the same files as the package.
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
diff <(cd "$scratch/prefix" && find . -type f | sort) <(cd "$root/usr" && find . -type f | sort) \
    || fail "cmake --install and the package install different files"

program="$root/usr/bin/quillon"
home="$scratch/home"
mkdir "$home"
run() { env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" QT_QPA_PLATFORM=offscreen "$program" "$@"; }

run --version | grep -q "Quillon 电子处方" || fail "--version"
[ -z "$(ls -A "$home")" ] || fail "--version touched the home folder: $(ls -A "$home")"

log="$home/电子处方数据库/日志/quillon.log"
run >"$scratch/first.out" 2>&1 &
first=$!
for _ in $(seq 120); do
    grep -q "登录窗口已打开" "$log" 2>/dev/null && break
    kill -0 "$first" 2>/dev/null || { cat "$scratch/first.out"; fail "the first start ended early"; }
    sleep 0.5
done
grep -q "登录窗口已打开" "$log" 2>/dev/null || { cat "$scratch/first.out"; fail "the first start did not reach the login window"; }
[ -f "$home/电子处方数据库/数据库.dat" ] || fail "the first start made no database"
echo "first start reached the login window"

# A second start on the same folder hands over to the running copy and ends.
timeout 30 env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" QT_QPA_PLATFORM=offscreen "$program" \
    || fail "the second start did not end by itself"
grep -q "再次启动" "$log" || fail "the running copy was not asked to the front"
kill -0 "$first" 2>/dev/null || fail "the running copy ended"
echo "second start handed over to the running copy"
cat "$log"
