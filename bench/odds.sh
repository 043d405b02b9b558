#!/usr/bin/env bash
# upgrade-odds on the example tables: instructions counted by callgrind for
# the whole table, for the journey to 7 taliks with the cheapest stones
# (7 x 210 stone sets) and every figure, and for a journey of 10^18
# attempts, against their goals.
set -euo pipefail
cd "$(dirname "$0")/.."

# The build's own lines only where it fails.
if ! built=$(cmake --workflow --preset release 2>&1); then
  printf '%s\n' "$built" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r examples/CustomSettings "$work/"
odds=$PWD/build/release/upgrade-odds
cd "$work"

instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$odds" "$@" 2>&1 >/dev/null |
    sed -n 's/.*refs: *//p' | tr -d ,
}
# Every line is printed; a line beyond its goal is marked, and the script
# then fails once all are printed.
beyond=0
report() {
  local name=$1 goal=$2 count
  shift 2
  count=$(instructions "$@")
  python3 -c "import sys; n, g = int(sys.argv[1]), int(sys.argv[2]); \
print(f'{sys.argv[3]:<14}{n:>12,} instructions (goal at most {g:,})' + ('  BEYOND ITS GOAL' if n > g else ''))" \
    "$count" "$goal" "$name"
  [ "$count" -le "$goal" ] || beyond=$((beyond + 1))
}
report "--table" 2500000 --table 50 3 3 2 0
# Every figure: the attempts, items and budgets for 50/90/99 % and the stones.
report "--plan prices" 20000000 --plan --prices 10,20,40,80,200,1000 --attempt-price 5 \
  --item-price 5000 5 50 7
# The same journey with the player's own dear stones, as the page shows it
# first: every budget beyond what an exact pass reaches.
report "--plan own" 20000000 --plan --prices 10,20,40,80,200,1000 --attempt-price 5 \
  --item-price 5000 5 50 7 6 6 3 0
# A journey of 10^18 attempts, in double-double.
report "--plan 1e18" 20000000 --plan 9 65 7 0 0 0 0
# Budgets at every scale, each plan within 500 M: an item price far beyond the
# attempts (exact, items apart), free stones with a large item price, a
# journey of 10^6 attempts with spread costs, and a count that costs nothing
# and cannot be left.
report "budget 1e7" 500000000 --plan --prices 1,2,5,10,20,50 --attempt-price 1 \
  --item-price 10000000 --budget 40000000 2 50 6
report "budget free" 500000000 --plan --prices 0,0,0,0,0,0 --attempt-price 15 \
  --item-price 1000000 2 50 6
report "budget 10 65" 500000000 --plan --prices 1,2,5,10,20,50 --attempt-price 3 \
  --item-price 1000 10 65 7
report "dear item" 500000000 --plan --prices 10,20,40,80,200,1000 --attempt-price 5 \
  --item-price 1000000 5 50 7
report "many lives" 500000000 --plan --prices 10,20,40,80,200,1000 --attempt-price 5 \
  --item-price 10000000 10 65 7
# An item too dear for any pass's strip, with the player's own stones: the
# lives with the whole of their work.
report "lives alone" 500000000 --plan --prices 10,20,40,80,200,1000 --attempt-price 5 \
  --item-price 3000000 8 60 7 6 6 5 4
# An attempt of 7 among attempts of 10^5, the item too dear for a strip:
# the coarse passes rounding every cost up and down.
report "coarse both" 500000000 --plan --prices 3000,2000,4000,24000,48000,64000 \
  --attempt-price 7 --item-price 1000000 1 60 4
# The same with an item of 10^9: half the journeys end before an item is
# destroyed, their budgets 10^6 against 99 % ones of 4 10^9; a pair of
# coarse passes of their own for them.
report "small levels" 500000000 --plan --prices 3000,2000,4000,24000,48000,64000 \
  --attempt-price 7 --item-price 1000000000 1 60 4
# Lives too dear for the attempts' own lattice of 1 (an attempt of 7 among
# attempts of 256 007): their walk on a unit of 256 007, each cost rounded
# with its mean kept; and a longer journey, 8 10^6 attempts to 99 %.
report "walked lives" 500000000 --plan --prices 3000,2000,4000,24000,48000,64000 \
  --attempt-price 7 --item-price 1000000000 5 50 7
report "walked long" 500000000 --plan --prices 3000,2000,4000,24000,48000,64000 \
  --attempt-price 7 --item-price 100000000 8 60 7
# A life that seldom reaches its attempts of 4 10^6, rounded onto a walk of
# 7 units: its pass stops at a third of the cells; and a renewal of lives
# a few units apart, each row's sum taken directly. Both once took 10^9.
report "heavy life" 500000000 --plan --prices 3000,1000,0,50,0,1000000 --attempt-price 15 \
  --item-price 1000000 6 30 7
report "short lives" 500000000 --plan --prices 10,5,64000,0,2,64000 --attempt-price 10000 \
  --item-price 100000000 2 65 7 3 3 1 1
# Lives that may cost far more than the rows a level's renewal counts
# (a kernel of 1.5 10^6 units, 3 10^4 rows): only the segments that reach
# a counted row transformed. It once took 6 10^8.
report "long kernel" 500000000 --plan --prices 100,7,50,1000000,50,5 --attempt-price 10000 \
  --item-price 3000000 6 20 3 1 6 4 6
# A life whose cost runs 15 times past the pass its mean foretells: the
# pass gives up at three times. It once took 9.2 10^8.
report "heavy tail" 500000000 --plan --prices 64000,1000000,50,50,10,1000000 --attempt-price 5 \
  --item-price 1000000 5 40 7
# A dear life of 4 counts whose pass ran 1.35 times its foretold cells; and
# the lives alone with renewals of 2.8 10^7 units of work, their reached
# chances summed once (5.6 10^8: over the bound, see the issue's note).
report "life pass" 500000000 --plan --prices 24000,1,10,1,1000000,1000000 --attempt-price 100 \
  --item-price 3000000 7 30 4
# Many attempts of 7 among dear ones, on a coarse unit with each cost
# rounded at random, its mean kept (after the strip's pass).
report "rounded walk" 500000000 --plan --prices 3000,2000,4000,24000,48000,64000 \
  --attempt-price 7 --item-price 1000000 5 50 7
report "rounded 1e5" 500000000 --plan --prices 3000,2000,4000,24000,48000,64000 \
  --attempt-price 7 --item-price 100000 2 50 6
report "alone long" 500000000 --plan --prices 64000,0,64000,1000,0,2 --attempt-price 7 \
  --item-price 3000000 6 10 7 1 1 5 3
# An item of 10^9 beyond every attempts' total: the items apart's pass over
# 1.3 10^6 rows, its watches looked at every 64 rows.
report "apart long" 500000000 --plan --prices 3000,2000,4000,24000,48000,64000 \
  --attempt-price 7 --item-price 1000000000 1 40 3
# A free attempt at one count, the strip's pass over 10^6 rows: only the
# free count's row solved in each.
report "free count" 500000000 --plan --prices 1,10,64000,64000,7,64000 --attempt-price 0 \
  --item-price 100000 10 60 6
# Items apart with an item of 10^12 over 1.2 10^6 rows: each count's cells
# over every item count in one loop; and with a free count, solved in place.
report "apart 1e12" 500000000 --plan --prices 64000,64000,1,1,10,24000 --attempt-price 1 \
  --item-price 1000000000000 1 60 3
report "apart free" 500000000 --plan --prices 2,1,100,7,2,1 --attempt-price 0 \
  --item-price 1000000000 6 65 6
# A short journey of few totals beside a dear item, walked forward total by
# total where a lattice would have 10^8 cells: the cheapest stones, and one
# journey that is certain, each step's cost near 10^6 and their unit 1.
report "few totals" 500000000 --plan --prices 100,2,1000,100,64000,64000 --attempt-price 7 \
  --item-price 100000000 0 49 3
report "certain" 500000000 --plan --stones 5461,1245,5521 --prices 1000000,1000,10,2,24000,1 \
  --attempt-price 15 --item-price 10000000 3 6 3
# The lives' renewals over millions of rows of short lives: taken directly,
# 13 to 17 taps a row two rows at a time; and by transforms of 64 points.
report "short taps" 500000000 --plan --prices 3000,2000,4000,24000,48000,64000 --attempt-price 3 \
  --item-price 100000000 8 37 7 1 3 5 1
report "short blocks" 500000000 --plan --prices 7,1000,0,3000,100,0 --attempt-price 1 \
  --item-price 1000000 6 63 7 3 6 4 0
if [ "$beyond" -gt 0 ]; then
  echo "$beyond beyond their goals" >&2
  exit 1
fi
