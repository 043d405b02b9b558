#!/usr/bin/env bash
# Three 10 MB odds tables, each section padded with 60,000 unrelated keys
# before its UpgradeLevel keys, read by the simulator (a full piped run) and
# by a small C program that reads the same 77 cells of each file with inih.
# Wall times side by side (hyperfine), their ratio, and throughput.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-test-deps.sh hyperfine libinih-dev
# The build's own lines only where it fails.
if ! built=$(cmake --workflow --preset release 2>&1); then
  printf '%s\n' "$built" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O3 -o "$work/inih_peer" bench/inih_peer.c $(pkg-config --cflags --libs inih)
sim=$PWD/build/release/upgrade-sim
cd "$work"

mkdir CustomSettings
python3 - <<'PY'
for name, base in (("SuccessProb", 100), ("DestroyProb", 1000), ("DowngradeProb", 2000)):
    with open(f"CustomSettings/{name}.ini", "w", newline="\r\n") as f:
        for grade in range(11):
            f.write(f"[ItemGrade{grade}]\n")
            f.writelines(f"Padding{i}=1\n" for i in range(60000))
            f.writelines(f"UpgradeLevel{level}={base + grade * 7 + level}\n" for level in range(7))
PY
printf '100 2 50 1 3 3 2 0\n' > answers
bytes=$(cat CustomSettings/*.ini | wc -c)

hyperfine --warmup 3 --runs "${BENCH_RUNS:-30}" --export-json times.json -N \
  -n upgrade-sim "setsid -w sh -c '$sim < answers > /dev/null'" \
  -n inih "./inih_peer" >/dev/null

python3 - "$bytes" <<'PY'
import json, sys
size = int(sys.argv[1])
results = {r["command"]: r for r in json.load(open("times.json"))["results"]}
sim, inih = results["upgrade-sim"], results["inih"]
mb = size / 1e6
print(f"tables        {mb:.1f} MB in three files")
print(f"upgrade-sim   {sim['mean']*1000:.1f} ms ± {sim['stddev']*1000:.1f}, {mb / sim['mean']:.0f} MB/s")
print(f"inih          {inih['mean']*1000:.1f} ms ± {inih['stddev']*1000:.1f}, {mb / inih['mean']:.0f} MB/s")
print(f"ratio         {sim['mean'] / inih['mean']:.2f} of inih's time (target at most 0.25)")
PY
