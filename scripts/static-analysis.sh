#!/usr/bin/env bash
# clang-tidy (the checked-in .clang-tidy), cppcheck and clang-format over the
# program's sources; any finding fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset test >/dev/null   # for compile_commands.json
# Every source the build compiles for this platform, the tests' own
# included, as the compilation database lists it.
mapfile -t sources < <(python3 -c '
import json, os
for entry in json.load(open("build/test/compile_commands.json")):
    path = os.path.relpath(entry["file"])
    if not path.startswith(("build/", "..")):
        print(path)' | sort -u)

echo "clang-tidy"
clang-tidy --quiet -p build/test "${sources[@]}" 2>/dev/null

echo "cppcheck"
cppcheck --enable=warning,style,performance,portability --std=c++17 --error-exitcode=1 \
  --inline-suppr --quiet -I . dialogue model odds results platform web/page_api.cpp tests/fuzz

echo "clang-format"
clang-format --dry-run --Werror dialogue/* model/* odds/* results/* platform/* web/*.cpp web/*.h tests/*.cpp tests/fuzz/*.cpp
