#!/usr/bin/env bash
# upgrade-odds' budgets for a priced plan on the example tables, each held
# against the least budget counted unit by unit (tests/tools/budget_truth.cpp,
# its own plain recursion): every shown budget suffices, and lies within the
# bound budget_rel_error states, itself at most 10^-3. Takes seconds to
# minutes: 10^8 to 10^9 rows. Not run by the suite.
#
#   bash scripts/budget-truth.sh PRICES ATTEMPT ITEM GRADE LEVEL TARGET [STONES...]
#   bash scripts/budget-truth.sh 10,20,40,80,200,1000 5 1000000 5 50 7
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 6 ] || { sed -n '8,9p' "$0"; exit 2; }
prices=$1 attempt=$2 item=$3
shift 3
cmake --build --preset release --target upgrade-odds >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
c++ -O2 -o "$work/budget_truth" tests/tools/budget_truth.cpp
cp -r examples/CustomSettings "$work/"
(cd "$work" && "$OLDPWD/build/release/upgrade-odds" --csv --plan --prices "$prices" \
  --attempt-price "$attempt" --item-price "$item" "$@") > "$work/plan.csv"
python3 - "$work" "$prices" "$attempt" "$item" <<'PY'
import csv, math, subprocess, sys
work, prices, attempt, item = sys.argv[1], [int(x) for x in sys.argv[2].split(",")], int(sys.argv[3]), int(sys.argv[4])
rows = list(csv.DictReader(open(f"{work}/plan.csv")))
shares, unit = [], item
for row in rows:
    cost = attempt + sum(prices[int(tier) - 1] for tier in row["stones"] if tier != "0")
    unit = math.gcd(unit, cost)
    shares += [row["success"], row["item_destroyed"], row["taliks_destroyed"], row["failed"], str(cost)]
truth = subprocess.run([f"{work}/budget_truth", str(unit), str(item), str(len(rows))] + shares,
                       capture_output=True, text=True, check=True).stdout.split("\n")
bad = 0
for row, line in zip(rows, truth):
    least = [int(x) for x in line.split()[1:]]
    bound = float(row["budget_rel_error"])
    for level, shown, true in zip((50, 90, 99), (row["budget_for_50"], row["budget_for_90"], row["budget_for_99"]), least):
        error = (int(shown) - true) / true
        ok = int(shown) >= true and error <= bound * (1 + 1e-9) and bound <= 1e-3
        bad += not ok
        print(f"{row['talik_count']} {level}% shown {shown} true {true} (shown-true)/true {error:.6f} bound {bound:.6f}{'' if ok else '  FAILS'}")
sys.exit(1 if bad else 0)
PY
