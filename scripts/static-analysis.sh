#!/usr/bin/env bash
# clang-tidy (the checked-in .clang-tidy), cppcheck and clang-format over the
# program's sources; any finding fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

sources=(dialogue/*.cpp model/*.cpp odds/*.cpp results/*.cpp web/page_api.cpp platform/ini_reader.cpp platform/probability_files.cpp
         platform/random_source.cpp platform/*_posix.cpp)
cmake --preset test >/dev/null   # for compile_commands.json

echo "clang-tidy"
clang-tidy --quiet -p build/test "${sources[@]}" 2>/dev/null

echo "cppcheck"
cppcheck --enable=warning,style,performance,portability --std=c++17 --error-exitcode=1 \
  --inline-suppr --quiet -I . dialogue model odds results platform web/page_api.cpp tests/fuzz

echo "clang-format"
clang-format --dry-run --Werror dialogue/* model/* odds/* results/* platform/* web/*.cpp web/*.h tests/*.cpp tests/fuzz/*.cpp
