#!/usr/bin/env bash
# Cross-builds the Windows executable and its tests with MinGW-w64, runs them
# under Wine in a temporary prefix, and packs the .zip.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-test-deps.sh g++-mingw-w64-x86-64 wine wine64

scratch=$(mktemp -d)
export WINEPREFIX=$scratch/wineprefix WINEDEBUG=-all
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$scratch"; }
trap cleanup EXIT

# One persistent server, and Wine's own background processes started with
# the prefix: none of them then starts during a test, where it would hold the
# test's output open, or under a test's pinned clock (libfaketime).
echo "creating a Wine prefix"
mkdir -p "$WINEPREFIX"
wineserver -p
timeout 600 wineboot -i </dev/null >/dev/null 2>&1
cmake --workflow --preset windows
