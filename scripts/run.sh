#!/usr/bin/env bash
# Builds build/sitemap-links and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
scripts/setup.sh
build build -- sitemap-links
exec build/sitemap-links
