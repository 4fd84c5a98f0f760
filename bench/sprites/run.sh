#!/bin/sh
# Times sprite drawing in Vendrel and in LÖVE 11.4 and prints the frame-time
# ratios (Vendrel / LÖVE; below 1 means Vendrel is faster):
# - 1,000, 10,000 and 50,000 copies of one 32x32 sprite with alpha per
#   frame at places that change every frame: Vendrel's sprite drawing
#   (bench_sprites) against love.graphics.draw of the same image;
# - 10,000 moving instances: a game (bench/sprites/game) whose instances
#   move by their speed vectors, run by vrun through the real game loop and
#   room drawing, against 10,000 Lua objects updated and drawn by LÖVE.
# Same window size (800 by 600), linear filtering and no vertical sync on
# both sides; every frame is timed up to and including its presentation.
# Both draw on the same OpenGL: under Xvfb when xvfb-run exists, else SDL's
# offscreen driver.
#
# A frame's time is the median of the timed frames (FRAMES, after 5 of
# warm-up). The sides run one after the other, ROUNDS times, and each case
# keeps its best round, so that a burst of other work on the machine does
# not decide the ratio. "cpu" is the processor time per frame of the whole
# process (the renderer's threads included), the steadier figure on a busy
# machine.
# Usage: bench/sprites/run.sh BUILD_DIR [FRAMES] [ROUNDS]   (30 and 3)
# where BUILD_DIR was configured with -DVENDREL_BENCH=ON and has
# bench_sprites, vpack and vrun built.
set -eu
build=$(cd "${1:?usage: run.sh BUILD_DIR [FRAMES] [ROUNDS]}" && pwd)
frames=${2:-30}
rounds=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
harness=$build/bench/sprites/bench_sprites
vpack=$build/tools/vpack
vrun=$build/runner/vrun
for program in "$harness" "$vpack" "$vrun"; do
  [ -x "$program" ] || { echo "build it first: ninja -C $build bench_sprites vpack vrun" >&2; exit 1; }
done
has_love=true
command -v love > /dev/null 2>&1 || has_love=false

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The sprite image, made by the harness, goes to LÖVE and into the game.
"$harness" --png "$work/sprite.png"
cp -R "$here/game" "$work/game"
cp "$work/sprite.png" "$work/game/sprites/spr_ball/0.png"
"$vpack" build "$work/game" -o "$work/bench.game" > /dev/null

run() {
  if command -v xvfb-run > /dev/null 2>&1; then
    xvfb-run -a -s '-screen 0 1024x768x24' "$@"
  else
    env -u DISPLAY SDL_VIDEODRIVER=offscreen "$@"
  fi
}

# Every round appends lines "SIDE CASE N MEDIAN_MS CPU_MS" to results.
: > "$work/results"
round=1
while [ "$round" -le "$rounds" ]; do
  run "$harness" "$frames" | awk '$1 == "vendrel" { print "vendrel sprites", $2, $3, $4 }' >> "$work/results"
  rm -f "$work/result.txt"
  # The game has no sounds; SDL's dummy audio keeps a machine without a
  # sound card from stopping its start.
  (cd "$work" && SDL_AUDIODRIVER=dummy run "$vrun" bench.game "$frames" > /dev/null 2>&1) || true
  [ -f "$work/result.txt" ] || { echo "the benchmark game wrote no result" >&2; exit 1; }
  awk 'NR == 1 { n = $3; next } { t[NR - 1] = $1 }
       END { m = NR - 1; for (i = 1; i <= m; i++) for (j = i + 1; j <= m; j++)
               if (t[j] < t[i]) { x = t[i]; t[i] = t[j]; t[j] = x }
             median = m % 2 ? t[(m + 1) / 2] : (t[m / 2] + t[m / 2 + 1]) / 2
             print "vendrel instances", n, median, "-" }' "$work/result.txt" >> "$work/results"
  if $has_love; then
    run love "$here/love" "$work/sprite.png" "$frames" 2> /dev/null |
      awk '$1 == "love" { print "love", $2, $3, $4, $5 }' >> "$work/results"
  fi
  round=$((round + 1))
done

$has_love || echo "love is not installed (apt-get install love): Vendrel alone"
awk -v rounds="$rounds" -v frames="$frames" '
  { key = $2 " " $3
    if (!(key in seen)) { seen[key] = 1; order[++cases] = key }
    side = $1 " " key
    if (!(side in ms) || $4 < ms[side]) ms[side] = $4
    if ($5 != "-" && (!(side in cpu) || $5 < cpu[side])) cpu[side] = $5 }
  END {
    printf "%-18s %11s %11s %6s %11s %11s %6s\n", "case", "vendrel ms", "love ms", "ratio",
           "vendrel cpu", "love cpu", "ratio"
    for (i = 1; i <= cases; i++) {
      k = order[i]; v = "vendrel " k; l = "love " k
      printf "%-18s %11.3f", k, ms[v]
      if (l in ms) printf " %11.3f %6.2f", ms[l], ms[v] / ms[l]; else printf " %11s %6s", "-", "-"
      if ((v in cpu) && (l in cpu)) printf " %11.3f %11.3f %6.2f", cpu[v], cpu[l], cpu[v] / cpu[l]
      else printf " %11s %11s %6s", "-", "-", "-"
      printf "\n"
    }
    printf "(median frame times, best of %d rounds of %d frames; ratio = vendrel / love,\n", rounds, frames
    printf " below 1 means vendrel is faster)\n"
  }' "$work/results"
