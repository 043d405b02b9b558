#!/usr/bin/env bash
# Builds and runs every test of the project: installs what the tests need,
# then the release build's unit and end-to-end tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-test-deps.sh
cmake --workflow --preset test
