#!/usr/bin/env bash
# One entry point for users and CI:
#   ./run.sh demo    install what is missing, build, run VANTFerrant against the virtual handset
#   ./run.sh test    install, build with ASan+UBSan (and the threaded parts with TSan), run every test
#   ./run.sh bench   build optimised benchmarks and print their ratios
#   ./run.sh fuzz    build the libFuzzer targets with clang and run each for a bounded time
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools libgl-dev
          fonts-dejavu-core desktop-file-utils man-db)
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
}

cmd_bench() {
  ensure_packages
  build build/bench "" -DCMAKE_BUILD_TYPE=Release -DVANT_TESTS=OFF -DVANT_BENCH=ON -DVANT_GUI=OFF
  local b
  for b in build/bench/bench/bench_*; do [ -x "$b" ] && "$b"; done
}

cmd_fuzz() {
  ensure_packages
  local seconds=${FUZZ_SECONDS:-60}
  CXX=clang++ build build/fuzz "" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANT_FUZZ=ON \
    -DVANT_TESTS=OFF -DVANT_GUI=OFF
  local f name
  for f in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    mkdir -p "build/fuzz/corpus/$name"
    echo "== $name ($seconds s)"
    "$f" -max_total_time="$seconds" -print_final_stats=1 \
      "build/fuzz/corpus/$name" "tests/fuzz/seeds/${name#fuzz_}"
  done
}

case "${1:-}" in
  demo) cmd_demo ;;
  test) cmd_test ;;
  bench) cmd_bench ;;
  fuzz) cmd_fuzz ;;
  *) echo "usage: ./run.sh demo | test | bench | fuzz" >&2; exit 2 ;;
esac
