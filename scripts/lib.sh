# Shared by the scripts in this folder; sourced, not run.

# build DIR [CMAKE_ARGUMENT...] [-- TARGET...]: configures DIR (with Ninja
# where present) and builds the targets named, or everything.
build() {
  local dir=$1
  shift
  local arguments=() targets=() generator=()
  while (($#)); do
    if [[ $1 == -- ]]; then
      shift
      targets=(--target "$@")
      break
    fi
    arguments+=("$1")
    shift
  done
  if command -v ninja >/dev/null; then generator=(-G Ninja); fi
  cmake -S . -B "$dir" "${generator[@]}" "${arguments[@]}" >/dev/null
  cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# start_xvfb WIDTHxHEIGHTxDEPTH: starts an Xvfb on a free-looking display,
# exports DISPLAY, waits (at most 5 s) until it answers, and leaves its
# process id in xvfb_pid.
start_xvfb() {
  local display=":$((100 + RANDOM % 200))"
  Xvfb "$display" -screen 0 "$1" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 1 50); do
    if xdpyinfo >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
}
