#!/usr/bin/env bash
# The project's version, as CMakeLists.txt's project() declares it: the one
# place it is spelled.
set -euo pipefail
sed -n 's/^project(upgrade-sim VERSION \([0-9][0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt"
