#!/usr/bin/env bash
# One entry point for users and CI:
#   ./run.sh demo    install what is missing, build, run VANTFerrant against the virtual handset
#   ./run.sh test    install, build with ASan+UBSan (and the threaded parts with TSan), run every test
#   ./run.sh bench   build optimised benchmarks and print their ratios
#   ./run.sh fuzz    build the libFuzzer targets with clang and run each for a bounded time
#   ./run.sh package build a release tree in build/package and make the Debian package there
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools libgl-dev
          fonts-dejavu-core desktop-file-utils man-db dpkg-dev librsvg2-bin)
JOBS=$(nproc 2>/dev/null || echo 2)

ensure_packages() {
  local missing=() pkg
  for pkg in "${PACKAGES[@]}"; do
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
  build build/asan "" -DCMAKE_BUILD_TYPE=Debug -DVANT_SANITIZE=address
  ctest --test-dir build/asan --output-on-failure -j "$JOBS"

  # The link's threads run a second time under ThreadSanitizer.
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
  build build/tsan vant_threads_tests -DCMAKE_BUILD_TYPE=Debug -DVANT_SANITIZE=thread -DVANT_GUI=OFF
  ctest --test-dir build/tsan --output-on-failure -j "$JOBS" -L threads

  # The console alone, built without Qt, for servers and scripts.
  build build/headless "" -DCMAKE_BUILD_TYPE=Release -DVANT_GUI=OFF -DVANT_TESTS=OFF
  headless_check

  # A short smoke run of every fuzz target; ./run.sh fuzz runs them for longer.
  local log=build/fuzz-smoke.log
  if ! fuzz_run 5 >"$log" 2>&1; then
    cat "$log"
    echo "fuzz smoke run: a target found a fault" >&2
    return 1
  fi
  grep -E '^== |stat::number_of_executed_units' "$log"
}

# The headless program must load no Qt library and print the same usage as the full build.
headless_check() {
  local app=build/headless/src/app/VANTFerrant expected actual
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

cmd_package() {
  ensure_packages
  build build/package "" -DCMAKE_BUILD_TYPE=Release -DVANT_TESTS=OFF
  rm -f build/package/*.deb
  (cd build/package && cpack)
  local deb root usage
  deb=$(ls build/package/*.deb)
  # The unpacked package must run on its own and print the usage.
  root=$(mktemp -d)
  dpkg -x "$deb" "$root"
  usage=$("$root/usr/bin/VANTFerrant" COM1)
  rm -rf "$root"
  if ! grep -q '^Usage:$' <<<"$usage"; then
    echo "package check: the unpacked VANTFerrant does not print the usage" >&2
    return 1
  fi
  dpkg-deb --field "$deb" Package Version Depends
  echo "Package: $deb"
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
  CXX=clang++ build build/fuzz "" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANT_FUZZ=ON \
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

case "${1:-}" in
  demo) cmd_demo ;;
  test) cmd_test ;;
  bench) cmd_bench ;;
  fuzz) cmd_fuzz ;;
  package) cmd_package ;;
  *) echo "usage: ./run.sh demo | test | bench | fuzz | package" >&2; exit 2 ;;
esac
