#!/usr/bin/env bash
# The browser tests' npm packages (puppeteer-core, axe-core), installed as
# package-lock.json locks them when node_modules/ is missing or older than
# the lock. Neither downloads a browser: the tests use Debian's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v npm >/dev/null; then
  echo "npm is missing: run 'bash scripts/install-test-deps.sh' (or 'sudo apt-get install npm')," \
       "then 'npm ci' in $root" >&2
  exit 1
fi
if [ ! -f "$root/node_modules/.package-lock.json" ] ||
   [ "$root/package-lock.json" -nt "$root/node_modules/.package-lock.json" ]; then
  (cd "$root" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
