#!/usr/bin/env bash
# Whole-process wall time and peak memory of a full piped 100-attempt run on
# the example tables, side by side with a minimal program that reads 8
# integers and prints 110 lines, built with the same compiler and flags.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-test-deps.sh hyperfine time
cmake --workflow --preset release >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
c++ -std=c++17 -O3 -DNDEBUG -o "$work/minimal" bench/minimal.cpp
cp -r examples/CustomSettings "$work/"
printf '100 2 50 1 3 3 2 0\n' > "$work/answers"
sim=$PWD/build/release/upgrade-sim
cd "$work"

# setsid: no controlling terminal, so the simulator does not wait for a key.
# hyperfine subtracts the time of the shell that does the redirection.
hyperfine --warmup 20 --runs "${BENCH_RUNS:-300}" --export-json times.json \
  -n upgrade-sim "setsid -w $sim < answers > /dev/null" \
  -n minimal "setsid -w ./minimal < answers > /dev/null"

peak_kib() { /usr/bin/time -f '%M' setsid -w "$@" < answers 2>&1 >/dev/null | tail -n 1; }
sim_kib=$(peak_kib "$sim")
min_kib=$(peak_kib ./minimal)

python3 - "$sim_kib" "$min_kib" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open("times.json"))["results"]}
sim, minimal = results["upgrade-sim"], results["minimal"]
sim_kib, min_kib = int(sys.argv[1]), int(sys.argv[2])
print(f"wall time  upgrade-sim {sim['mean']*1000:.2f} ms ± {sim['stddev']*1000:.2f}, "
      f"minimal {minimal['mean']*1000:.2f} ms ± {minimal['stddev']*1000:.2f}, "
      f"ratio {sim['mean']/minimal['mean']:.2f}")
print(f"peak RSS   upgrade-sim {sim_kib} KiB, minimal {min_kib} KiB, ratio {sim_kib/min_kib:.2f}")
PY
