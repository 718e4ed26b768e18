#!/usr/bin/env bash
# Builds and runs every test twice: a plain build in build/ and an
# AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/.
# Starts its own Xvfb when no display is set, for the window tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
jobs=$(nproc)

xvfb_pid=""
cleanup() { if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
trap cleanup EXIT
if [[ -z ${DISPLAY:-} ]]; then
  display=":$((90 + RANDOM % 100))"
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 1 50); do
    if xdpyinfo >/dev/null 2>&1; then break; fi
    sleep 0.1
  done
fi

status=0
run_config() {
  local dir=$1
  shift
  cmake -S . -B "$dir" "${generator[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 600) || status=1
}

run_config build -DSL_SANITIZE=OFF
ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1} \
  run_config build-asan -DSL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DSL_BUILD_BENCH=OFF

if ((status)); then echo "tests: FAILED"; else echo "tests: all passed"; fi
exit $status
