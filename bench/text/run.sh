#!/bin/sh
# Times 2,000 short strings per frame in Vendrel and in LÖVE 11.4
# (love.graphics.print, same strings, same font file, same window size) in
# one run and prints the frame-time ratio (Vendrel / LÖVE; below 1 means
# Vendrel is faster). Both draw on the same OpenGL: under Xvfb when
# xvfb-run exists, else SDL's offscreen driver.
# Usage: bench/text/run.sh BUILD_DIR [FRAMES]
# where BUILD_DIR was configured with -DVENDREL_BENCH=ON.
set -eu
build=${1:?usage: run.sh BUILD_DIR [FRAMES]}
frames=${2:-100}
here=$(cd "$(dirname "$0")" && pwd)
harness=$build/bench/text/bench_text
[ -x "$harness" ] || { echo "build bench_text first: ninja -C $build bench_text" >&2; exit 1; }

# The file our default font ("Arial") is drawn with, handed to LÖVE too.
font=$(fc-match -f '%{file}' 'Liberation Sans:style=Regular')

run() {
  if command -v xvfb-run > /dev/null 2>&1; then
    xvfb-run -a -s '-screen 0 1024x768x24' "$@"
  else
    env -u DISPLAY SDL_VIDEODRIVER=offscreen "$@"
  fi
}

ours=$(run "$harness" "$frames" | grep '^vendrel ')
if ! command -v love > /dev/null 2>&1; then
  echo "love is not installed (apt-get install love): Vendrel alone"
  echo "$ours" | awk '{ printf "vendrel %.3f ms per frame (%d frames, %d glyph quads, %d batches per frame)\n", $2, $3, $4, $5 }'
  exit 0
fi
theirs=$(run love "$here/love" "$font" "$frames" 2> /dev/null | grep '^love ')
echo "$ours $theirs" | awk '{
  printf "vendrel %.3f ms per frame (%d glyph quads, %d batches per frame)\n", $2, $4, $5
  printf "love    %.3f ms per frame\n", $7
  printf "ratio   %.2f (vendrel / love; below 1 means vendrel is faster)\n", $2 / $7
}'
