#!/usr/bin/env bash
# Plays the demo game headless with scripted input through both levels to
# its end screen and checks the high-score file: a first game writes its
# score of 180 (all eighteen orbs); a game that scores less than the stored
# best leaves it.
set -euo pipefail
vpack=$1 vrun=$2 demo=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$vpack" build "$demo" -o "$work/demo"

play() {
  (cd "$work" && "$vrun" --headless --no-wait --seed 1 --frames 1100 \
     --input "$here/playthrough.input" demo > stdout 2> stderr) || {
    echo "vrun failed"; cat "$work/stderr"; exit 1; }
  if [ -s "$work/game_errors.log" ]; then echo "game errors:"; cat "$work/game_errors.log"; exit 1; fi
}

play
grep -qx 'high=180' "$work/orbchase.ini" || { echo "expected high=180"; cat "$work/orbchase.ini"; exit 1; }

printf '[scores]\nhigh=500\n' > "$work/orbchase.ini"
play
grep -qx 'high=500' "$work/orbchase.ini" || { echo "a lower score replaced the best"; cat "$work/orbchase.ini"; exit 1; }
echo "demo played to its end screen; high scores kept"
