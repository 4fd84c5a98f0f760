#!/usr/bin/env bash
# Runs one game test: packs PROJECT with vpack, runs it headless with a
# virtual clock in a scratch directory, and compares the file "output.txt"
# the game wrote with PROJECT/expected.txt. Optional files: args (more vrun
# options), input.txt (scripted input), expected_status (exit status, 0 by default),
# expected_messages.txt (lines vrun must print), expected_pixels.txt (lines
# "FILE X Y #RRGGBB": pixels of the PNG files the game run left, such as
# screenshots; checked with the png_pixel program given as fourth argument).
set -euo pipefail
vpack=$1 vrun=$2 project=$3 png_pixel=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$vpack" build "$project" -o "$work/game"
args=()
[ -f "$project/args" ] && read -r -a args < "$project/args"
# Scripted keyboard, mouse and joystick input (vrun --input).
[ -f "$project/input.txt" ] && args+=(--input "$project/input.txt")
# The run's temporary directory is made in a base of our own ("temp" is
# the first place looked at), which must be empty again afterwards.
mkdir "$work/temp-base"
status=0
(cd "$work" && temp="$work/temp-base" "$vrun" --headless --no-wait --seed 1 --frames 10000 \
   "${args[@]}" game) > "$work/stdout" 2> "$work/stderr" || status=$?
if [ -n "$(ls -A "$work/temp-base")" ]; then
  echo "the temporary directory was left behind:"; ls -laR "$work/temp-base"; exit 1
fi
if [ -f "$project/expected_status" ]; then
  expected_status=$(cat "$project/expected_status")
else
  expected_status=0
fi
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"; cat "$work/stderr"; exit 1
fi
# Every line of expected_messages.txt must appear in what vrun printed
# (message boxes are echoed on stdout, start-up failures on stderr).
if [ -f "$project/expected_messages.txt" ]; then
  while IFS= read -r line; do
    if ! grep -qF -- "$line" "$work/stdout" "$work/stderr"; then
      echo "message not shown: $line"; cat "$work/stdout" "$work/stderr"; exit 1
    fi
  done < "$project/expected_messages.txt"
fi
if [ -f "$project/expected_pixels.txt" ]; then
  while read -r file x y colour; do
    [ -z "$file" ] && continue
    actual=$("$png_pixel" "$work/$file" "$x" "$y") || { echo "cannot read $file"; cat "$work/stderr"; exit 1; }
    if [ "$actual" != "$colour" ]; then
      echo "$file ($x, $y): $actual, expected $colour"; exit 1
    fi
  done < "$project/expected_pixels.txt"
fi
# Without expected.txt the game must not have written output.txt at all
# (it is not meant to start).
if [ ! -f "$project/expected.txt" ]; then
  if [ -e "$work/output.txt" ]; then echo "unexpected output.txt:"; cat "$work/output.txt"; exit 1; fi
  exit 0
fi
if ! diff -u "$project/expected.txt" "$work/output.txt"; then
  echo "--- stderr:"; cat "$work/stderr"; exit 1
fi
