#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks need.
# Asks the package registry only when something is missing, so a second run is
# quick and needs no network.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev libssl-dev libcpp-httplib-dev
  libpcre2-dev
  libgtk-3-dev
  xvfb xauth xdotool x11-utils imagemagick fonts-wqy-zenhei
  curl grep openssl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
