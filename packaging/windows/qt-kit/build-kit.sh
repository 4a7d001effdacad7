#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (MinGW-w64) from Debian's own qt6-base source, the version the
# Linux build uses, so the installed host tools (moc, rcc, uic) serve the cross build too.
#   build-kit.sh        prints the kit's folder, building it first unless a finished one is cached
# The kit is kept outside the clone, keyed by the Qt version and everything that shapes the build
# (the configure line, the toolchain, the tablet header wrapper), so every later run reuses it.
# Only what a Widgets program and its tests need is built: Core, Gui, Widgets, Test, the windows
# and offscreen platform plugins and the Windows style, as stripped release DLLs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

qt_deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)   # for example 6.4.2+dfsg-10
qt_version=${qt_deb_version%%+*}
qt_version=${qt_version%%-*}
wine_deb_version=$(dpkg-query -W -f='${Version}' libwine)

configure_args=(
  -G Ninja -Wno-dev
  -DCMAKE_TOOLCHAIN_FILE="$here/toolchain.cmake"
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF
  # OpenGL needs its input turned off as well as the feature.
  -DFEATURE_opengl=OFF -DINPUT_opengl=no
  # Without Direct2D the DirectWrite font database is left out of Gui and qwindows.dll does not
  # link; only the Direct2D 1.1 paint engine plugin is left out.
  -DFEATURE_direct2d1_1=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_doubleconversion=OFF
)

cache=${XDG_CACHE_HOME:-$HOME/.cache}/vantferrant
# The clone's own path is left out of the key (the toolchain is keyed by its content), so every
# clone on this machine, CI's fresh checkouts included, finds the same kit.
key=$( { echo "$qt_deb_version $wine_deb_version";
         printf '%s\n' "${configure_args[@]}" | sed "s|$here|KIT_SCRIPTS|g";
         cat "$here/toolchain.cmake" "$here/wintab.h"; } | sha256sum | cut -c1-12)
kit=$cache/qt-$qt_version-mingw-$key
mkdir -p "$cache"

# Runs of this machine's CI may ask at the same time: one builds, the others wait for it.
exec 9>"$cache/qt-kit.lock"
flock 9
if [ -f "$kit/.complete" ]; then
  echo "$kit"
  exit 0
fi

log() { echo "qt kit: $*" >&2; }
started=$(date +%s)
work=$cache/qt-kit-work-$key
rm -rf "$work" "$kit" && mkdir -p "$work"
log "building Qt $qt_version for MinGW into $kit (a first run only: about 15 minutes on an idle 2-core machine, longer when shared)"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

# The source package, fetched through a deb-src entry that exists only for the fetch.
entry=/etc/apt/sources.list.d/vantferrant-qt-source.sources
remove_entry() { $sudo rm -f "$entry"; }
trap remove_entry EXIT
$sudo tee "$entry" >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
fetch_log=$work/fetch.log
fetch_failed() { cat "$fetch_log" >&2; log "could not fetch the qt6-base $qt_deb_version source"; exit 1; }
$sudo apt-get update -o Dir::Etc::sourcelist="$entry" -o Dir::Etc::sourceparts=- \
  -o APT::Get::List-Cleanup=0 >"$fetch_log" 2>&1 || fetch_failed
(cd "$work" && apt-get source -o Dir::Etc::sourcelist="$entry" -o Dir::Etc::sourceparts=- \
  "qt6-base=$qt_deb_version") >>"$fetch_log" 2>&1 || fetch_failed
remove_entry
trap - EXIT
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
[ -d "$src/src/corelib" ] || { log "the qt6-base source did not unpack"; exit 1; }

# Debian's repacked source drops the tablet headers the Windows platform plugin includes; Wine's
# LGPL ones (in libwine-dev, unpacked here, not installed) serve, behind a small wrapper.
(cd "$work" && apt-get download "libwine-dev=$wine_deb_version") >>"$fetch_log" 2>&1 || fetch_failed
dpkg-deb -x "$work"/libwine-dev_*.deb "$work/wine"
mkdir -p "$src/src/3rdparty/wintab"
cp "$work/wine/usr/include/wine/wine/windows/wintab.h" "$src/src/3rdparty/wintab/wine-wintab.h"
cp "$work/wine/usr/include/wine/wine/windows/pktdef.h" "$src/src/3rdparty/wintab/pktdef.h"
cp "$here/wintab.h" "$src/src/3rdparty/wintab/wintab.h"

configure_start=$(date +%s)
cmake -S "$src" -B "$work/build" -DCMAKE_INSTALL_PREFIX="$kit" "${configure_args[@]}" >"$work/configure.log" 2>&1 ||
  { tail -40 "$work/configure.log" >&2; exit 1; }
log "configured in $(( $(date +%s) - configure_start )) s"
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 ||
  { grep -B5 -A20 -m3 'error' "$work/build.log" | head -80 >&2; exit 1; }
cmake --install "$work/build" >/dev/null
# Stripped, Qt6Core.dll shrinks from 9.5 to 6.5 MB.
find "$kit/bin" "$kit/plugins" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
cp "$src/LICENSES/LGPL-3.0-only.txt" "$kit/LGPL-3.0-only.txt" 2>/dev/null || true
cp "$src/LICENSES/GPL-3.0-only.txt" "$kit/GPL-3.0-only.txt" 2>/dev/null || true
echo "Debian source package qt6-base $qt_deb_version (https://deb.debian.org/debian, bookworm)" >"$kit/SOURCE.txt"
touch "$kit/.complete"
rm -rf "$work"
log "Qt kit built in $(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s"
echo "$kit"
