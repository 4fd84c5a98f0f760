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
# warm-up). The sides run one after the other, ROUNDS times; each figure is
# the median over the rounds and each ratio the median of the rounds'
# ratios, so that a burst of other work on the machine does not decide it. "cpu" is the processor time per frame of the whole
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

# Every round appends lines "ROUND SIDE CASE N MEDIAN_MS CPU_MS" to results.
: > "$work/results"
round=1
while [ "$round" -le "$rounds" ]; do
  run "$harness" "$frames" |
    awk -v r="$round" '$1 == "vendrel" { print r, "vendrel sprites", $2, $3, $4 }' >> "$work/results"
  rm -f "$work/result.txt"
  # The game has no sounds; SDL's dummy audio keeps a machine without a
  # sound card from stopping its start.
  (cd "$work" && SDL_AUDIODRIVER=dummy run "$vrun" bench.game "$frames" > /dev/null 2>&1) || true
  [ -f "$work/result.txt" ] || { echo "the benchmark game wrote no result" >&2; exit 1; }
  awk -v r="$round" 'NR == 1 { n = $3; next } { t[NR - 1] = $1 }
       END { m = NR - 1; for (i = 1; i <= m; i++) for (j = i + 1; j <= m; j++)
               if (t[j] < t[i]) { x = t[i]; t[i] = t[j]; t[j] = x }
             median = m % 2 ? t[(m + 1) / 2] : (t[m / 2] + t[m / 2 + 1]) / 2
             print r, "vendrel instances", n, median, "-" }' "$work/result.txt" >> "$work/results"
  if $has_love; then
    run love "$here/love" "$work/sprite.png" "$frames" 2> /dev/null |
      awk -v r="$round" '$1 == "love" { print r, "love", $2, $3, $4, $5 }' >> "$work/results"
  fi
  round=$((round + 1))
done

$has_love || echo "love is not installed (apt-get install love): Vendrel alone"
# Per case: the median over the rounds of each side's figures, and the
# median of the rounds' ratios (each round's sides ran close together).
awk -v rounds="$rounds" -v frames="$frames" '
  function median(list,    n, i, j, x, v) {
    n = split(list, v, " ")
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { x = v[i]; v[i] = v[j]; v[j] = x }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  { key = $3 " " $4
    if (!(key in seen)) { seen[key] = 1; order[++cases] = key }
    side = $2 " " key
    ms[side, $1] = $5; ms_list[side] = ms_list[side] " " $5
    if ($6 != "-") { cpu[side, $1] = $6; cpu_list[side] = cpu_list[side] " " $6 } }
  END {
    printf "%-18s %11s %11s %6s %11s %11s %6s\n", "case", "vendrel ms", "love ms", "ratio",
           "vendrel cpu", "love cpu", "ratio"
    for (i = 1; i <= cases; i++) {
      k = order[i]; v = "vendrel " k; l = "love " k
      ratios = ""; cpu_ratios = ""
      for (r = 1; r <= rounds; r++) {
        if (((v, r) in ms) && ((l, r) in ms)) ratios = ratios " " ms[v, r] / ms[l, r]
        if (((v, r) in cpu) && ((l, r) in cpu)) cpu_ratios = cpu_ratios " " cpu[v, r] / cpu[l, r]
      }
      printf "%-18s %11.3f", k, median(ms_list[v])
      if (ratios != "") printf " %11.3f %6.2f", median(ms_list[l]), median(ratios)
      else printf " %11s %6s", "-", "-"
      if (cpu_ratios != "") printf " %11.3f %11.3f %6.2f", median(cpu_list[v]), median(cpu_list[l]), median(cpu_ratios)
      else printf " %11s %11s %6s", "-", "-", "-"
      printf "\n"
    }
    printf "(median frame times; medians over %d rounds of %d frames; ratio = vendrel / love,\n", rounds, frames
    printf " the median of the ratios of the rounds; below 1 means vendrel is faster)\n"
  }' "$work/results"
