#!/usr/bin/env bash
# Builds and runs every test of the project, as CI does: installs what the
# tests need, then the release suite (warnings as errors), the same suite
# under AddressSanitizer and UndefinedBehaviorSanitizer, static analysis, a
# bounded fuzzing run, and the Windows build under Wine. The presets build
# on each other one way: the page's browser test on the test preset's
# programs, the packages (release) on the page.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-test-deps.sh
cmake --workflow --preset test
cmake --workflow --preset web
cmake --workflow --preset sanitize
bash scripts/package-tests.sh
bash scripts/static-analysis.sh
bash scripts/fuzz.sh
bash scripts/windows-tests.sh
