#!/usr/bin/env bash
# Runs one game test: packs PROJECT with vpack, runs it headless with a
# virtual clock in a scratch directory, and compares the file "output.txt"
# the game wrote with PROJECT/expected.txt.
set -euo pipefail
vpack=$1 vrun=$2 project=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$vpack" build "$project" -o "$work/game"
args=()
[ -f "$project/args" ] && read -r -a args < "$project/args"
status=0
(cd "$work" && "$vrun" --headless --no-wait --seed 1 --frames 10000 "${args[@]}" game) \
  > "$work/stdout" 2> "$work/stderr" || status=$?
if [ -f "$project/expected_status" ]; then
  expected_status=$(cat "$project/expected_status")
else
  expected_status=0
fi
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"; cat "$work/stderr"; exit 1
fi
if ! diff -u "$project/expected.txt" "$work/output.txt"; then
  echo "--- stderr:"; cat "$work/stderr"; exit 1
fi
