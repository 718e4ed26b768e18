#!/usr/bin/env bash
# Builds build/sitemap-links and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S . -B build "${generator[@]}" >/dev/null
cmake --build build -j "$(nproc)" --target sitemap-links
exec build/sitemap-links
