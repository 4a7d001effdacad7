#!/usr/bin/env bash
# One entry point for users and CI:
#   ./run.sh demo    install what is missing, build, run VANTFerrant against the virtual handset
#   ./run.sh test    install, build with ASan+UBSan (and the threaded parts with TSan), run every test
#   ./run.sh bench   build optimised benchmarks and print their ratios
#   ./run.sh fuzz    build the libFuzzer targets with clang and run each for a bounded time
#   ./run.sh package build a release tree in build/package and make the Debian package there
#   ./run.sh screenshots write the user guide's pictures of the window into build/screenshots
#   ./run.sh coverage build with gcc --coverage, run the test suite, print line and branch coverage
#   ./run.sh windows  cross-build the program and its tests with MinGW-w64 (and Qt for MinGW from
#                     Debian's source, once), run them under Wine, compare a console session on a
#                     COM port with the Linux program's, run the window on an X server and the zip
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools libgl-dev
          fonts-dejavu-core desktop-file-utils man-db dpkg-dev librsvg2-bin python3 gcovr
          xvfb xdotool strace)
# The windows stage adds the cross compiler, Wine and the tools for the zip (installed only when
# that stage runs).
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 zip unzip)
JOBS=$(nproc 2>/dev/null || echo 2)

ensure_packages() {
  local missing=() pkg
  for pkg in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || missing+=("$pkg")
  done
  ((${#missing[@]} == 0)) && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

# build DIR [TARGET] -- CMAKE_ARGS...
build() {
  local dir=$1 target=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS" ${target:+--target "$target"}
}

release_build() { build build/release "" -DCMAKE_BUILD_TYPE=Release -DVANT_TESTS=OFF; }

cmd_demo() {
  ensure_packages
  release_build
  local app=./build/release/src/app/VANTFerrant
  # The virtual handset "SIM" holds a demo tree with one module (chess).
  "$app" SIM -v
  if [ -t 0 ]; then
    echo
    echo "Interactive session on the virtual handset: try v, s, g /chess/chess.mod /tmp, ?, q"
    "$app" SIM -i
  else
    # No terminal to type at: show a scripted session instead.
    local out
    out=$(mktemp -d)
    printf 'v\ns\ng /chess/chess.mod %s\n?\nq\n' "$out" | "$app" SIM -i
    echo
    ls -l "$out"
    rm -rf "$out"
  fi
}

cmd_test() {
  ensure_packages
  export QT_QPA_PLATFORM=offscreen
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
  build build/asan "" -DCMAKE_BUILD_TYPE=Debug -DVANT_SANITIZE=address
  # The fault table's rows spend minutes waiting on time-outs and handset delays with the
  # processor idle: they run in the background, several at once, while the rest of the suite and
  # the other builds go on.
  local slow_log=build/asan/slow-tests.log slow
  ctest --test-dir build/asan --output-on-failure -L slow -j 4 >"$slow_log" 2>&1 &
  slow=$!
  local failed=0
  ctest --test-dir build/asan --output-on-failure -j "$JOBS" -LE 'slow|xvfb' || failed=1
  xvfb_tests build/asan || failed=1

  # The link's threads run a second time under ThreadSanitizer. This build has no window front
  # end, so its VANTFerrant is also the console alone, built without Qt, for servers and scripts.
  if ((failed == 0)); then
    build build/tsan vant_threads_tests -DCMAKE_BUILD_TYPE=Debug -DVANT_SANITIZE=thread -DVANT_GUI=OFF &&
      cmake --build build/tsan -j "$JOBS" --target VANTFerrant &&
      ctest --test-dir build/tsan --output-on-failure -j "$JOBS" -L threads &&
      headless_check build/tsan/src/app/VANTFerrant || failed=1
  fi

  # A short smoke run of every fuzz target; ./run.sh fuzz runs them for longer.
  local log=build/fuzz-smoke.log
  if ((failed == 0)); then
    if fuzz_run 3 >"$log" 2>&1; then
      grep -E '^== |stat::number_of_executed_units' "$log"
    else
      cat "$log"
      echo "fuzz smoke run: a target found a fault" >&2
      failed=1
    fi
  fi

  # The console and the core for Windows, under Wine.
  if ((failed == 0)); then
    cmd_windows || failed=1
  fi

  wait "$slow" || { failed=1; }
  cat "$slow_log"
  return "$failed"
}

# xvfb_tests BUILD_DIR: the window tests that need a real X server and real input, on an Xvfb
# display of their own. Xvfb picks a free display number itself (-displayfd) and is stopped
# whatever happens, also when the script is interrupted.
xvfb_tests() {
  local dir=$1 number_file pid display failed=0
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
  pid=$!
  trap "kill $pid 2>/dev/null; rm -f '$number_file'" EXIT
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  display=$(tr -d '\n' <"$number_file")
  if [ -z "$display" ]; then
    echo "xvfb: the X server did not start" >&2
    failed=1
  else
    VANT_X_DISPLAY=:$display ctest --test-dir "$dir" --output-on-failure -L xvfb || failed=1
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -f "$number_file"
  trap - EXIT
  return "$failed"
}

# headless_check PROGRAM: a VANTFerrant built without the window front end loads no Qt library
# and prints the same usage as the full build.
headless_check() {
  local app=$1 expected actual
  if ldd "$app" | grep -q 'libQt6'; then
    echo "headless check: $app loads Qt" >&2
    return 1
  fi
  expected=$(build/asan/src/app/VANTFerrant COM1)
  actual=$("$app" COM1)
  if [ "$actual" != "$expected" ] || ! grep -q '^Usage:$' <<<"$actual"; then
    echo "headless check: '$app COM1' does not print the usage" >&2
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    return 1
  fi
  echo "headless check: no Qt loaded, usage printed"
}

# The window's pictures for the user guide, taken offscreen by a tool built in the test build's tree.
cmd_screenshots() {
  ensure_packages
  export QT_QPA_PLATFORM=offscreen
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
  export VANT_SCREENSHOT_DIR=${VANT_SCREENSHOT_DIR:-$PWD/build/screenshots}
  build build/asan vant_screenshots -DCMAKE_BUILD_TYPE=Debug -DVANT_SANITIZE=address
  build/asan/tools/screenshots/vant_screenshots
  ls "$VANT_SCREENSHOT_DIR"
}

cmd_package() {
  ensure_packages
  build build/package "" -DCMAKE_BUILD_TYPE=Release -DVANT_TESTS=OFF
  rm -f build/package/*.deb
  (cd build/package && cpack)
  local deb root
  deb=$(ls build/package/*.deb)
  root=$(mktemp -d)
  cmake --install build/package --prefix "$root/tree" >/dev/null
  dpkg -x "$deb" "$root/deb"
  PACKAGE_FAILED=0
  installed_tree_check "$root/tree" build/package/src/app/VANTFerrant
  package_fields_check "$deb" "$root/deb"
  rm -rf "$root"
  ((PACKAGE_FAILED == 0)) || return 1
  dpkg-deb --field "$deb" Package Version Depends
  echo "Package: $deb"
  windows_zip
}

# VANTFerrant-<version>-win64.zip: the cross-built program with the Qt DLLs and plugins, the
# MinGW runtime DLLs, its README and the licences. The windows stage makes it from its own build.
windows_zip() {
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  windows_qt_kit || return 1
  build build/win-package VANTFerrant -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVANT_TESTS=OFF -DVANT_QT_KIT="$QT_KIT"
  windows_zip_from build/win-package
}

# windows_zip_from BUILD_DIR: stages and zips that build's VANTFerrant.exe; WINDOWS_ZIP names it.
windows_zip_from() {
  local version stage dll
  version=$(sed -nE 's/^project\(VANTFerrant VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
  stage=$1/zip
  WINDOWS_ZIP=$PWD/build/package/VANTFerrant-$version-win64.zip
  rm -rf "$stage" "$WINDOWS_ZIP" && mkdir -p "$stage/platforms" "$stage/styles" build/package
  cp "$1/src/app/VANTFerrant.exe" "$stage/"
  for dll in Qt6Core Qt6Gui Qt6Widgets; do cp "$QT_KIT/bin/$dll.dll" "$stage/"; done
  cp "$QT_KIT/plugins/platforms/qwindows.dll" "$stage/platforms/"
  cp "$QT_KIT"/plugins/styles/*.dll "$stage/styles/"
  for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$stage/"
  done
  # Debian ships the runtime DLLs with their symbols (libstdc++-6.dll: 23 of its 24 MB).
  x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/lib*.dll
  sed 's/$/\r/' packaging/windows/README-windows.txt >"$stage/README-windows.txt"
  sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
  { sed 's/$/\r/' packaging/windows/qt-kit/QT-NOTICE.txt; echo $'\r'; sed 's/$/\r/' "$QT_KIT/LGPL-3.0-only.txt"; } \
    >"$stage/LICENSE-Qt.txt"
  windows_imports_check "$stage" || return 1
  # A console program, so that a command prompt waits for it and its output can be redirected;
  # started from Explorer it gives its own console up before the window opens.
  if ! [[ "$(x86_64-w64-mingw32-objdump -p "$stage/VANTFerrant.exe")" =~ $'\n'Subsystem[[:space:]]+0*3[[:space:]] ]]; then
    echo "windows: VANTFerrant.exe is not a console program" >&2
    return 1
  fi
  (cd "$stage" && zip -q -X -r "$WINDOWS_ZIP" .)
  echo "Package: $WINDOWS_ZIP ($(du -k "$WINDOWS_ZIP" | cut -f1) KB)"
}

# Every DLL the program and its plugins import is in the folder or is one Windows itself has.
windows_imports_check() {
  local folder=$1 file dll missing=0
  while read -r file; do
    while read -r dll; do
      [ -f "$folder/$dll" ] && continue
      case "${dll,,}" in
        kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|oleaut32.dll|comdlg32.dll|\
        imm32.dll|winmm.dll|ws2_32.dll|version.dll|netapi32.dll|userenv.dll|uxtheme.dll|dwmapi.dll|\
        d3d9.dll|d3d11.dll|dxgi.dll|d2d1.dll|dwrite.dll|shlwapi.dll|setupapi.dll|wtsapi32.dll|\
        msvcrt.dll|mpr.dll|authz.dll|comctl32.dll|winspool.drv|shcore.dll|api-ms-win-*) ;;
        *) echo "windows: ${file#"$folder"/} needs $dll, which the zip lacks" >&2; missing=1 ;;
      esac
    done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p')
  done < <(find "$folder" -name '*.exe' -o -name '*.dll')
  return "$missing"
}

package_fail() {
  echo "package check: $*" >&2
  PACKAGE_FAILED=1
}

# installed_tree_check PREFIX BUILT_PROGRAM: every file in its place, documents equal to the
# repository's, icons of the size their folder names, a valid desktop entry, a manual page that
# renders cleanly and documents every syntax the program prints, programs that run from there.
installed_tree_check() {
  local tree=$1 built=$2 file size name syntax manual
  for file in bin/VANTFerrant bin/vant-handset; do
    [ -x "$tree/$file" ] || package_fail "$file is not an executable"
  done
  for file in README.md LICENSE docs/user-guide.md; do
    cmp -s "$tree/share/doc/vantferrant/${file#docs/}" "$file" || package_fail "doc $file differs"
  done
  for size in 16 22 24 32 48 64 128 256; do
    file=$tree/share/icons/hicolor/${size}x$size/apps/vantferrant.png
    # Width and height are the big-endian words at offsets 16 and 20 of a PNG (IHDR).
    [ "$(od -An -tx1 -j16 -N8 "$file" 2>/dev/null | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
      package_fail "$file is not a ${size}x$size PNG"
  done
  grep -q '<svg' "$tree/share/icons/hicolor/scalable/apps/vantferrant.svg" || package_fail "no SVG icon"
  file=$tree/share/applications/vantferrant.desktop
  [ -z "$(desktop-file-validate "$file" 2>&1)" ] || package_fail "desktop entry: $(desktop-file-validate "$file" 2>&1)"
  grep -qx 'Exec=VANTFerrant' "$file" && grep -qx 'Icon=vantferrant' "$file" ||
    package_fail "the desktop entry does not start VANTFerrant with its icon"

  [ "$("$tree/bin/VANTFerrant" COM1 2>&1)" = "$("$built" COM1 2>&1)" ] ||
    package_fail "the installed VANTFerrant prints another usage"
  "$tree/bin/vant-handset" --help 2>&1 | grep -q 'Usage: vant-handset' || package_fail "vant-handset --help"

  [ "$(head -c2 "$tree/share/man/man1/VANTFerrant.1.gz" | od -An -tx1 | tr -d ' \n')" = 1f8b ] ||
    package_fail "the manual page is not gzip-compressed"
  manual=$(MANWIDTH=80 MANPAGER=cat LC_ALL=C.UTF-8 MAN_KEEP_FORMATTING= \
           man --warnings -l "$tree/share/man/man1/VANTFerrant.1.gz" 2>"$tree/man.err" | sed 's/^[ \t]*//; s/[ \t]*$//')
  [ -s "$tree/man.err" ] && package_fail "manual page warnings: $(cat "$tree/man.err")"
  awk 'length($0) > 80 { exit 1 }' <<<"$manual" || package_fail "manual page wider than 80 columns"
  for name in NAME SYNOPSIS DESCRIPTION OPTIONS 'INTERACTIVE COMMANDS' 'PORT NAMES' FILES \
              ENVIRONMENT 'EXIT STATUS' EXAMPLES; do
    grep -qx "$name" <<<"$manual" || package_fail "manual page has no $name section"
  done
  # Every syntax of the usage and the interactive help, each a list tag in the manual: alone,
  # before a comma (further spellings) or before the gap to its description.
  { "$tree/bin/VANTFerrant" COM1; printf '?\nq\n' | "$tree/bin/VANTFerrant" SIM -i; } |
    awk -F' : ' '/^   [^ ]/ && NF > 1 { print substr($1, 4) }' >"$tree/syntax"
  printf '%s\n' cls 'q, quit, exit' COMn SIM SIM:dir '$XDG_CONFIG_HOME/VANTFerrant.INI' \
    VANTFERRANT_DEBUG_LOG >>"$tree/syntax"
  (($(wc -l <"$tree/syntax") >= 26)) || package_fail "usage and help list too few syntaxes"
  while IFS= read -r syntax; do
    awk -v s="$syntax" 'index($0, s) == 1 { r = substr($0, length(s) + 1)
        if (r == "" || r ~ /^(,|  )/) found = 1 } END { exit !found }' <<<"$manual" ||
      package_fail "the manual page does not document '$syntax'"
  done <"$tree/syntax"
}

# package_fields_check DEB ROOT: name, version and library dependencies of the package, and the
# unpacked program runs on its own.
package_fields_check() {
  local deb=$1 root=$2 depends file
  [ "$(dpkg-deb --field "$deb" Package)" = vantferrant ] || package_fail "package name"
  [ "$(dpkg-deb --field "$deb" Version)" = "$(sed -n 's/^project(VANTFerrant VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ] ||
    package_fail "package version"
  depends=$(dpkg-deb --field "$deb" Depends)
  for file in libc6 libstdc++6 libqt6widgets6; do
    grep -q "$file" <<<"$depends" || package_fail "Depends lacks $file: $depends"
  done
  for file in usr/bin/vant-handset usr/share/man/man1/VANTFerrant.1.gz usr/share/doc/vantferrant/LICENSE \
              usr/share/applications/vantferrant.desktop usr/share/icons/hicolor/scalable/apps/vantferrant.svg; do
    [ -f "$root/$file" ] || package_fail "the package lacks $file"
  done
  "$root/usr/bin/VANTFerrant" COM1 | grep -q '^Usage:$' ||
    package_fail "the unpacked VANTFerrant does not print the usage"
}

# Line and branch coverage of src/ from the test suite (no sanitizers, so the figures are not
# skewed by their instrumentation). Exception and compiler-made branches are left out: they are
# not decisions the code makes. The link's threads share counters, so they are updated
# atomically; racing updates leave negative counts that gcov cannot read.
cmd_coverage() {
  ensure_packages
  export QT_QPA_PLATFORM=offscreen
  local dir=build/coverage failed=0
  find "$dir" -name '*.gcda' -delete 2>/dev/null || true
  build "$dir" "" -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS=--coverage -fprofile-update=atomic" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage
  ctest --test-dir "$dir" -j "$JOBS" --output-on-failure || failed=1
  find "$dir/CMakeFiles" \( -name '*.gcda' -o -name '*.gcno' \) -delete  # cmake's own compiler checks
  gcovr --root . --filter 'src/' --object-directory "$dir" "$dir" \
    --exclude-throw-branches --exclude-unreachable-branches \
    --print-summary --html-details "$dir/coverage.html"
  return "$failed"
}

cmd_bench() {
  ensure_packages
  build build/bench "" -DCMAKE_BUILD_TYPE=Release -DVANT_TESTS=OFF -DVANT_BENCH=ON -DVANT_GUI=OFF
  local b
  for b in build/bench/bench/bench_*; do [ -x "$b" ] && "$b"; done
}

cmd_fuzz() {
  ensure_packages
  fuzz_run "${FUZZ_SECONDS:-60}"
}

# fuzz_run SECONDS: builds every fuzz target with clang and runs each for SECONDS; fails when
# any target finds a fault.
fuzz_run() {
  local seconds=$1 f name failed=0
  CXX=clang++ build build/fuzz vant_fuzzers -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANT_FUZZ=ON \
    -DVANT_TESTS=OFF -DVANT_GUI=OFF || return 1
  for f in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    mkdir -p "build/fuzz/corpus/$name"
    echo "== $name ($seconds s)"
    "$f" -max_total_time="$seconds" -print_final_stats=1 \
      "build/fuzz/corpus/$name" "tests/fuzz/seeds/${name#fuzz_}" || failed=1
  done
  return "$failed"
}

# --- Windows: MinGW-w64 cross build, tests under Wine -------------------------------------------
WIN_BUILD=build/win
WIN_DEPS=$PWD/build/win-deps
WINE_COM1=$PWD/build/wine-com1   # Wine's COM1; re-pointed at each session's pseudo-terminal
WINE_HANDSET_PID=""
XVFB_PID=""
ZIP_PREFIX=""

# Qt for MinGW from Debian's qt6-base source (packaging/windows/qt-kit), built on a first run
# only, into a cache outside the clone; QT_KIT names it.
windows_qt_kit() {
  local started=$SECONDS
  QT_KIT=$(nice -n 10 packaging/windows/qt-kit/build-kit.sh) || {
    echo "windows: the Qt kit for MinGW did not build" >&2
    return 1
  }
  echo "windows: Qt kit for MinGW ready in $((SECONDS - started)) s: $QT_KIT"
}

# GoogleTest for MinGW, built once from the sources Debian ships.
windows_gtest() {
  [ -f "$WIN_DEPS/lib/libgtest.a" ] && return 0
  cmake -S /usr/src/googletest -B build/win-gtest -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$WIN_DEPS" >/dev/null
  cmake --build build/win-gtest -j "$JOBS" >/dev/null
  cmake --install build/win-gtest >/dev/null
}

windows_cleanup() {
  stop_handset
  wineserver -k 2>/dev/null || true
  if [ -n "$ZIP_PREFIX" ]; then WINEPREFIX=$ZIP_PREFIX wineserver -k 2>/dev/null || true; fi
  ZIP_PREFIX=""
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  XVFB_PID=""
}

# An X server of its own for the window under Wine; DISPLAY names it.
start_xvfb() {
  local out=build/win-e2e/xvfb.display i
  : >"$out"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out" 2>/dev/null &
  XVFB_PID=$!
  for i in $(seq 200); do [ -s "$out" ] && break; sleep 0.05; done
  [ -s "$out" ] || { echo "windows: Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(head -1 "$out")
}

# A Windows path (Z:\...) for a Unix one.
wine_path() { local path; path=$(realpath -m "$1"); printf 'Z:%s' "${path//\//\\}"; }

# wine_run LOG PROGRAM ARGS...: runs a Windows program on a console of its own (a pseudo-terminal
# from script(1), so the console control handler gets Ctrl-C), its output in LOG without the
# console's escape sequences and carriage returns. Output always goes to a file: Wine's service
# processes inherit the descriptors and would hold a pipe open.
wine_run() {
  local log=$1 command
  shift
  printf -v command '%q ' wine "$@"
  timeout 300 script -qec "$command 2>/dev/null" /dev/null </dev/null >"$log.raw" 2>&1
  local status=$?
  # Wine's console moves the cursor right instead of writing spaces.
  perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[a-zA-Z]//g; s/\r//g' "$log.raw" >"$log"
  return "$status"
}

# Starts a fresh vant-handset (the demo tree) and points Wine's COM1 at its terminal.
start_handset() {
  local out=build/win-e2e/handset.port i
  : >"$out"
  build/linux-console/src/sim/vant-handset >"$out" 2>/dev/null &
  WINE_HANDSET_PID=$!
  for i in $(seq 100); do [ -s "$out" ] && break; sleep 0.05; done
  HANDSET_PTS=$(head -1 "$out")
  ln -sfn "$HANDSET_PTS" "$WINE_COM1"
}

stop_handset() {
  if [ -n "$WINE_HANDSET_PID" ]; then
    kill "$WINE_HANDSET_PID" 2>/dev/null || true
    wait "$WINE_HANDSET_PID" 2>/dev/null || true
  fi
  WINE_HANDSET_PID=""
}

# session SIDE OUT: one console session, each command against the same handset, by the Linux
# program (SIDE=linux) or VANTFerrant.exe under Wine on COM1 (SIDE=wine), standard output only.
# The module folder, named "échecs", holds every byte value with CR, LF and 0x1A runs; Windows
# names it with backslashes. The fetch goes into a folder of that name too.
session() {
  local side=$1 out=$2 dir=build/win-e2e
  rm -rf "$dir/fetched-$side" && mkdir -p "$dir/fetched-$side/échecs"
  printf 'v\ns\nq\n' >"$dir/prompt.txt"
  start_handset
  local port=$HANDSET_PTS pc_module=$PWD/$dir/pc/échecs pc_fetch=$PWD/$dir/fetched-$side/échecs
  local -a program=(build/linux-console/src/app/VANTFerrant)
  if [ "$side" = wine ]; then
    port=COM1
    pc_module="Z:${pc_module//\//\\}"
    pc_fetch="Z:${pc_fetch//\//\\}"
    program=(wine "$WIN_BUILD/src/app/VANTFerrant.exe")
  fi
  : >"$out"
  local args input
  for args in "-v" "-s" "-l|$pc_module|bytes" "-g|/bytes/bytes.mod|$pc_fetch" "-d|bytes" "-i"; do
    local -a words
    IFS='|' read -r -a words <<<"$args"
    input=/dev/null
    [ "$args" = -i ] && input=$dir/prompt.txt
    timeout 300 "${program[@]}" "$port" "${words[@]}" <"$input" >"$dir/step.txt" 2>/dev/null || true
    sed -e 's/\r$//' "$dir/step.txt" >>"$out"
  done
  stop_handset
  # The port's name and the detection dots differ between the systems, nothing else may.
  sed -i -E 's/^(Establishing communication with the phone on port ).*$/\1PORT/' "$out"
}

cmd_windows() {
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  windows_qt_kit || return 1
  windows_gtest
  build "$WIN_BUILD" "" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DVANT_TESTS=ON -DVANT_MINGW_PREFIX="$WIN_DEPS" -DVANT_QT_KIT="$QT_KIT"
  build build/linux-console "" -DCMAKE_BUILD_TYPE=Release -DVANT_TESTS=OFF -DVANT_GUI=OFF

  export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # The Qt and MinGW runtime DLLs for the programs run from the build tree. Wine hands Unix QT_*
  # variables to no program; WINEQT_* ones arrive without the WINE. The offscreen platform draws
  # text with the fonts of this folder.
  export WINEPATH="$(wine_path "$QT_KIT/bin");$(wine_path "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")");$(wine_path /usr/x86_64-w64-mingw32/lib)"
  export WINEQT_QPA_FONTDIR=$(wine_path /usr/share/fonts/truetype/dejavu)
  unset DISPLAY WAYLAND_DISPLAY
  trap windows_cleanup EXIT
  # COM1 is a fixed symbolic link that each session re-points; Wine reads the mapping when its
  # server starts, so the server starts after the registry holds it, and stays up (-p) meanwhile.
  wineserver -k 2>/dev/null || true
  wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$WINE_COM1" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -p </dev/null >/dev/null 2>&1 &
  mkdir -p build/win-e2e

  # Every test executable that needs no pseudo-terminal, whole; the window's on the offscreen
  # platform.
  local failed=0 passed=0 window_passed=0 exe log count filter
  for exe in "$WIN_BUILD"/tests/*.exe; do
    log=build/win-e2e/$(basename "$exe" .exe).log
    filter=--gtest_filter=*
    # The rig's handset line under Wine opens once, and Wine has no pseudo-terminals: cases that
    # reopen a handset's port or need a silent terminal run on Linux only. The long copy's 150 ms
    # bound on the event loop's gaps is met under Wine only on an idle machine.
    [ "$(basename "$exe")" = gui_ui_device.exe ] &&
      filter=--gtest_filter=-*ExpandingReReadsAFailedConnect*:*CancelOrEscapeEndsAConnectAttempt*:*ALongCopyKeepsTheWindowServed*
    wine_run "$log" "$exe" --gtest_color=no "$filter" || failed=1
    count=$(sed -nE 's/^\[ *PASSED *\] *([0-9]+) tests?\..*/\1/p' "$log")
    case "$(basename "$exe")" in
      *_ui*) window_passed=$((window_passed + ${count:-0})) ;;
      *) passed=$((passed + ${count:-0})) ;;
    esac
    if grep -q '^\[ *FAILED *\]' "$log" || [ -z "$count" ]; then
      cat "$log"
      failed=1
    fi
  done
  echo "windows: $passed console and core tests passed under Wine"
  echo "windows: $window_passed window tests passed under Wine (offscreen)"

  # The end-to-end session: byte for byte the Linux program's output (CR LF read as LF).
  local dir=build/win-e2e
  # The module's folder, and the folder fetched into, have non-ASCII names.
  rm -rf "$dir/pc" && mkdir -p "$dir/pc/échecs"
  python3 - "$dir/pc/échecs" <<'PY'
import sys, pathlib
folder = pathlib.Path(sys.argv[1])
every = bytes(range(256))
(folder / "bytes.mod").write_bytes(every * 3 + b"\r\n" * 40 + b"\x1a" * 50 + b"\r" * 30 +
                                   b"\n" * 30 + every[::-1] + b"\r\x1a\n")
(folder / "bytes.mif").write_bytes(b"info\r\n")
(folder / "bytes.sig").write_bytes(b"sig")
(folder / "bytes.bar").write_bytes(b"bar")
PY
  session linux "$dir/linux.txt"
  session wine "$dir/wine.txt"
  if ! diff "$dir/linux.txt" "$dir/wine.txt" >"$dir/session.diff"; then
    echo "windows: the console session under Wine differs from the Linux program's:" >&2
    cat "$dir/session.diff" >&2
    failed=1
  elif ! grep -q "Load VANT Module on the device was successful" "$dir/wine.txt"; then
    echo "windows: the backslash path to a non-ASCII folder did not load" >&2
    failed=1
  else
    echo "windows: the console session on COM1 equals the Linux program's ($(wc -l <"$dir/wine.txt") lines)"
  fi
  if cmp "$dir/pc/échecs/bytes.mod" "$dir/fetched-wine/échecs/bytes.mod"; then
    echo "windows: every byte value loaded as a module and fetched back identical"
  else
    failed=1
  fi

  windows_window_run || failed=1
  windows_zip_from "$WIN_BUILD" && windows_zip_run || failed=1
  windows_cleanup
  trap - EXIT
  return "$failed"
}

# The window on an X server with Qt's Windows platform plugin: on SIM, then on COM1 wired to a
# Linux vant-handset, the demo tree and a file copied to the device and back; its picture goes to
# build/screenshots/window_windows.png.
windows_window_run() {
  local log=build/win-e2e/window_e2e.log status=0
  wineserver -k 2>/dev/null || true
  start_xvfb || return 1
  wineserver -p </dev/null >/dev/null 2>&1 &
  mkdir -p build/screenshots
  start_handset
  VANT_E2E_PORTS=SIM,COM1 VANT_E2E_SCREENSHOT=$(wine_path build/screenshots/window_windows.png) \
    wine_run "$log" "$WIN_BUILD/window-e2e/window_e2e.exe" --gtest_color=no || status=1
  stop_handset
  if [ "$status" -ne 0 ] || ! grep -q '^\[ *PASSED *\] 1 test' "$log"; then
    cat "$log"
    echo "windows: the window under Wine on Xvfb failed" >&2
    return 1
  fi
  echo "windows: the window under Wine on Xvfb connected to SIM and to COM1, showed the demo tree" \
    "and copied every byte value to the device and back; picture in build/screenshots/window_windows.png"
}

# The zip as a user gets it: unpacked into an empty folder, started in a fresh Wine prefix with
# nothing else installed, without arguments (the window must appear within 30 s) and with
# "SIM -v" (the module table).
windows_zip_run() {
  local root=$PWD/build/win-zip-run started window="" i status=0
  rm -rf "$root" && mkdir -p "$root/unpacked"
  (cd "$root/unpacked" && unzip -q "$WINDOWS_ZIP")
  wineserver -k 2>/dev/null || true
  ZIP_PREFIX=$root/prefix   # set here, so that the clean-up stops its server whatever happens
  (
    export WINEPREFIX=$ZIP_PREFIX
    unset WINEPATH WINEQT_QPA_FONTDIR
    wineboot -i >/dev/null 2>&1
    cd "$root/unpacked"
    started=$SECONDS
    # In a subshell of its own, so that its end by wineserver -k is no job of this shell's.
    (wine VANTFerrant.exe </dev/null >"$root/window.log" 2>&1 &)
    for i in $(seq 300); do
      window=$(xdotool search --onlyvisible --name '^ORLEY v1\.0$' 2>/dev/null | head -1) && [ -n "$window" ] && break
      sleep 0.1
    done
    if [ -z "$window" ]; then
      echo "windows: the unpacked zip showed no window within 30 s" >&2
      exit 1
    fi
    echo "windows: the unpacked zip in a fresh Wine prefix showed its window after $((SECONDS - started)) s"
    wineserver -k 2>/dev/null || true
    timeout 120 wine VANTFerrant.exe SIM -v </dev/null >"$root/sim-v.txt" 2>/dev/null
    if grep -q 'chess' "$root/sim-v.txt"; then
      echo "windows: the unpacked zip printed the module table for 'SIM -v'"
    else
      cat "$root/sim-v.txt"
      echo "windows: the unpacked zip printed no module table for 'SIM -v'" >&2
      exit 1
    fi
    wineserver -k 2>/dev/null || true
  ) || status=1
  return "$status"
}

case "${1:-}" in
  demo) cmd_demo ;;
  test) cmd_test ;;
  bench) cmd_bench ;;
  fuzz) cmd_fuzz ;;
  package) cmd_package ;;
  screenshots) cmd_screenshots ;;
  coverage) cmd_coverage ;;
  windows) cmd_windows ;;
  *) echo "usage: ./run.sh demo | test | bench | fuzz | package | screenshots | coverage | windows" >&2; exit 2 ;;
esac
