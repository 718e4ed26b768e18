#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window under its own Xvfb, after one
# click on a small sitemap served on 127.0.0.1, with the links in the box.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
scripts/setup.sh
build build -- sitemap-links app_sitemap_serve

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A copy of its own, so that url.txt is written there and not beside the build.
cp build/sitemap-links "$work/"
{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo '<urlset xmlns="http://www.sitemaps.org/schemas/sitemap/0.9">'
  for page in "" about products products/tea products/tea/green products/tea/black \
    news news/2024/spring-catalogue contact help/shipping help/returns; do
    echo "  <url><loc>https://example.com/$page</loc></url>"
  done
  echo '</urlset>'
} >"$work/sitemap.xml"

start_xvfb 1024x768x24
pids+=("$xvfb_pid")

mkfifo "$work/hold"
build/app_sitemap_serve "$work/sitemap.xml" <"$work/hold" >"$work/address" &
pids+=($!)
exec 3>"$work/hold"
for _ in $(seq 1 50); do
  if [[ -s $work/address ]]; then break; fi
  sleep 0.1
done
address=$(head -n 1 "$work/address")

"$work/sitemap-links" &
app=$!
pids+=("$app")
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" | head -n 1)
xdotool windowfocus --sync "$window"
xdotool type --delay 2 "$address"
# The centre of 按钮1 (320, 88, 168 x 48) in the client area.
xdotool mousemove --window "$window" 404 112 click 1
for _ in $(seq 1 100); do
  if [[ -s $work/url.txt ]]; then break; fi
  sleep 0.1
done
# Away from the hyperlinks, and time for the box to lay out and scroll.
xdotool mousemove --window "$window" 520 140
sleep 1

mkdir -p docs
import -window "$window" docs/screenshot.png
xdotool key Escape
wait "$app" || true
exec 3>&-
echo "screenshot: docs/screenshot.png ($(wc -l <"$work/url.txt") links saved)"
