#!/bin/sh
# Times the interpreter benchmarks in Vendrel, Lua 5.4 and LuaJIT's
# interpreter (-joff) and prints the ratios (Vendrel time / peer time; below
# 1 means Vendrel is faster). Usage: bench/interpreter/run.sh BUILD_DIR
# where BUILD_DIR was configured with -DVENDREL_BENCH=ON.
set -eu
build=${1:?usage: run.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
programs=$here/programs
harness=$build/bench/interpreter/bench_interpreter
[ -x "$harness" ] || { echo "build bench_interpreter first: ninja -C $build bench_interpreter" >&2; exit 1; }

printf '%-10s %10s %10s %10s %9s %9s\n' program vendrel lua5.4 luajit-joff 'x lua' 'x luajit'
"$harness" "$programs" | while read -r name seconds checksum; do
  lua_out=$(lua5.4 "$programs/$name.lua")
  jit_out=$(luajit -joff "$programs/$name.lua")
  lua_seconds=${lua_out%% *}
  jit_seconds=${jit_out%% *}
  lua_checksum=${lua_out#* }
  if [ "$lua_checksum" != "$checksum" ]; then
    echo "$name: results differ: vendrel $checksum, lua $lua_checksum" >&2
  fi
  awk -v n="$name" -v v="$seconds" -v l="$lua_seconds" -v j="$jit_seconds" \
    'BEGIN { printf "%-10s %10.4f %10.4f %10.4f %9.2f %9.2f\n", n, v, l, j, v / l, v / j }'
done
