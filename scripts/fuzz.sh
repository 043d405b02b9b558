#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 60) on a scratch copy of its seed corpus. A crash,
# leak, timeout or sanitizer report fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
cmake --workflow --preset fuzz
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for target in answer_reader ini_reader plan; do
  mkdir -p "$scratch/$target"
  cp tests/fuzz/corpus/$target/* "$scratch/$target/"
  echo "fuzzing $target for ${seconds}s"
  (cd "$scratch" && "$OLDPWD/build/fuzz/tests/${target}_fuzz" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 "$scratch/$target" 2>&1 | tail -n 12)
done
