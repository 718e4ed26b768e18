#!/usr/bin/env bash
# Builds and runs every test twice: a plain build in build/ and an
# AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/.
# Starts its own Xvfb when no display is set, for the window tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
scripts/setup.sh

xvfb_pid=""
cleanup() { if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
trap cleanup EXIT
if [[ -z ${DISPLAY:-} ]]; then start_xvfb 1280x1024x24; fi

status=0
run_config() {
  local dir=$1
  shift
  build "$dir" "$@"
  (cd "$dir" && ctest --output-on-failure --no-tests=error -j "$(nproc)" --timeout 600) || status=1
}

run_config build -DSL_SANITIZE=OFF
ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1} \
  run_config build-asan -DSL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DSL_BUILD_BENCH=OFF

if ((status)); then echo "tests: FAILED"; else echo "tests: all passed"; fi
exit $status
