#!/usr/bin/env bash
# A mutation run: each slip of tests/mutation/*.txt (one small change of the
# kind a developer makes) applied alone to a scratch copy of the committed
# tree, only what it touches rebuilt, the tests named to catch it run with a
# timeout, the file put back. Reports each slip as killed (and by what),
# SURVIVED, or stale (its text is no longer in the file). Not run by the suite.
#
#   bash scripts/mutation.sh [--keep] [--only WORD] [LIST...]
#
# Every test named is first run on the tree as it is: where one fails there,
# the run stops before any slip. --keep reuses the scratch copy and its
# builds from the last run (after the tree changed, leave it out); --only
# runs the slips whose name holds WORD.
# The scratch copy is $MUTATION_DIR (default /tmp/upgrade-sim-mutation-$USER);
# the report goes to standard output and $MUTATION_DIR/report.txt.
#
# A slip, in a list file, is a block of lines:
#   slip: what goes wrong, in words
#   file: a path in the tree
#   from: the exact text, once in the file (one line)
#   to:   what it becomes
#   kill: the tests that must catch it, any of
#         unit             the unit tests
#         e2e:SUITE        tests/e2e/SUITE.py on the test build
#         native           every test of the test preset
#         web:TEST         tests/web/TEST.mjs on the web build, in $MUTATION_BROWSER
#                          (chromium unless set; empty for every browser), against
#                          the native programs of the tree's own test build
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${MUTATION_DIR:-/tmp/upgrade-sim-mutation-${USER:-$(id -un)}}
timeout_seconds=${MUTATION_TIMEOUT:-600}
browser=${MUTATION_BROWSER:-chromium}  # for the tests that take --browser; "" for both
keep=0 only="" lists=()
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1 ;;
    --only) only=$2; shift ;;
    *) lists+=("$1") ;;
  esac
  shift
done
[ ${#lists[@]} -gt 0 ] || lists=("$root"/tests/mutation/*.txt)

src=$scratch/src
if [ "$keep" = 0 ] || [ ! -d "$src" ]; then
  rm -rf "$src"
  mkdir -p "$src"
  git -C "$root" archive --format=tar HEAD | tar -x -C "$src"
fi
[ -e "$src/node_modules" ] || ln -s "$root/node_modules" "$src/node_modules"
cd "$src" || exit 1
report=$scratch/report.txt
: >"$report"
log=$scratch/log
mkdir -p "$log"

built_test=0 built_web=0
build_test() {  # targets...
  if [ "$built_test" = 0 ]; then
    cmake --preset test >"$log/configure-test.txt" 2>&1 || return 1
    built_test=1
  fi
  cmake --build build/test -j 2 --target "$@" >"$log/build.txt" 2>&1
}
build_web() {
  if [ "$built_web" = 0 ]; then
    cmake --preset web >"$log/configure-web.txt" 2>&1 || return 1
    built_web=1
  fi
  NODE_PATH=/usr/share/nodejs cmake --build build/web -j 2 --target upgrade-sim-html >"$log/build.txt" 2>&1
}

# Builds what one kill word needs and runs it; 0 when every test passes.
run_kill() {
  local word=$1
  case "$word" in
    unit)
      build_test unit_tests || return 2
      timeout "$timeout_seconds" build/test/tests/unit_tests >"$log/test.txt" 2>&1 </dev/null ;;
    e2e:*)
      build_test upgrade-sim upgrade-odds || return 2
      timeout "$timeout_seconds" python3 "tests/e2e/${word#e2e:}.py" --exe build/test/upgrade-sim \
        --odds build/test/upgrade-odds >"$log/test.txt" 2>&1 </dev/null ;;
    native)
      build_test all || return 2
      timeout "$timeout_seconds" ctest --test-dir build/test -j 2 --timeout "$timeout_seconds" >"$log/test.txt" 2>&1 </dev/null ;;
    web:*)
      build_web || return 2
      timeout "$timeout_seconds" node "tests/web/${word#web:}.mjs" --page build/web/upgrade-sim.html \
        --source "$src" --out "$scratch/web-out" ${browser:+--browser "$browser"} \
        --upgrade-odds "$root/build/test/upgrade-odds" --upgrade-sim "$root/build/test/upgrade-sim" \
        >"$log/test.txt" 2>&1 </dev/null ;;
    *) echo "unknown kill word: $word" >&2; return 3 ;;
  esac
}

# Replaces the one occurrence of from by to in file; 1 when it is not there once.
apply_slip() {
  python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
EOF
}

# Every block of the lists as five tab-separated fields.
slips() {
  python3 - "$@" <<'EOF'
import sys
for path in sys.argv[1:]:
    block = {}
    for line in list(open(path, encoding="utf-8")) + ["\n"]:
        line = line.rstrip("\n")
        if line.startswith("#"):
            continue
        if not line.strip():
            if block:
                print("\t".join(block.get(k, "") for k in ("slip", "file", "from", "to", "kill")))
            block = {}
            continue
        key, _, value = line.partition(":")
        block[key.strip()] = value[1:] if value.startswith(" ") else value
EOF
}

# The slips of the lists that --only selects.
selected() {
  slips "${lists[@]}" | while IFS=$'\t' read -r name file from to kills; do
    [ -z "$only" ] || [[ "$name" == *"$only"* ]] || continue
    printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$file" "$from" "$to" "$kills"
  done
}

# Each test the slips name must pass on the tree as it is: one that fails
# there (a missing package, a broken build) would count every slip as killed.
words=$(selected | while IFS=$'\t' read -r name file from to kills; do
  printf '%s\n' $kills
done | sort -u)
for word in $words; do
  if ! run_kill "$word"; then
    echo "baseline  | $word fails on the tree as it is (see $log)" | tee -a "$report"
    exit 2
  fi
done

total=0 killed=0 survived=0 stale=0
while IFS=$'\t' read -r -u 3 name file from to kills; do
  total=$((total + 1))
  cp -p "$file" "$scratch/original" 2>/dev/null || { echo "stale     | $name (no $file)" | tee -a "$report"; stale=$((stale + 1)); continue; }
  if ! apply_slip "$file" "$from" "$to"; then
    echo "stale     | $name (not once in $file)" | tee -a "$report"
    stale=$((stale + 1))
    continue
  fi
  verdict="SURVIVED"
  for word in $kills; do
    run_kill "$word"
    case $? in
      0) ;;
      2) verdict="killed    | by the build ($word)"; break ;;
      124) verdict="killed    | by a timeout ($word)"; break ;;
      *) verdict="killed    | by $word"; break ;;
    esac
  done
  cp "$scratch/original" "$file"  # a new time stamp: the next build compiles it again
  if [ "$verdict" = "SURVIVED" ]; then
    survived=$((survived + 1))
    echo "SURVIVED  | $name | $file | $kills" | tee -a "$report"
  else
    killed=$((killed + 1))
    echo "${verdict%%|*}| $name |${verdict#*|}" | tee -a "$report"
  fi
done 3< <(selected)
echo "slips: $total, killed: $killed, survived: $survived, stale: $stale" | tee -a "$report"
