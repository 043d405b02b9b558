#!/usr/bin/env bash
# A full piped 100-attempt run on the example tables, side by side with a
# minimal program that reads 8 integers and prints 110 lines, built with the
# same compiler and the same link flags: instructions counted by callgrind
# (repeatable on a shared machine) and wall time by hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-test-deps.sh hyperfine
# The build's own lines only where it fails.
if ! built=$(cmake --workflow --preset release 2>&1); then
  printf '%s\n' "$built" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
c++ -std=c++17 -O3 -DNDEBUG -static-libstdc++ -static-libgcc -o "$work/minimal" bench/minimal.cpp
cp -r examples/CustomSettings "$work/"
printf '100 2 50 1 3 3 2 0\n' > "$work/answers"
sim=$PWD/build/release/upgrade-sim
cd "$work"

# setsid: no controlling terminal, so the simulator does not wait for a key.
instructions() {
  setsid -w valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" < answers 2>&1 >/dev/null |
    sed -n 's/.*refs: *//p' | tr -d ,
}
sim_ir=$(instructions "$sim")
min_ir=$(instructions ./minimal)

hyperfine --warmup 20 --runs "${BENCH_RUNS:-300}" --export-json times.json -N \
  -n upgrade-sim "setsid -w sh -c '$sim < answers > /dev/null'" \
  -n minimal "setsid -w sh -c './minimal < answers > /dev/null'" >/dev/null

python3 - "$sim_ir" "$min_ir" <<'PY'
import json, sys
sim_ir, min_ir = int(sys.argv[1]), int(sys.argv[2])
results = {r["command"]: r for r in json.load(open("times.json"))["results"]}
sim, minimal = results["upgrade-sim"], results["minimal"]
print(f"instructions  upgrade-sim {sim_ir:,}, minimal {min_ir:,}, ratio {sim_ir / min_ir:.2f}"
      f" (target at most 2)")
print(f"wall time     upgrade-sim {sim['mean']*1000:.2f} ms ± {sim['stddev']*1000:.2f}, "
      f"minimal {minimal['mean']*1000:.2f} ms ± {minimal['stddev']*1000:.2f}, "
      f"ratio {sim['mean'] / minimal['mean']:.2f}")
PY
