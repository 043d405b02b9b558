#!/usr/bin/env bash
# Installs what the build and the tests use: CMake, g++, make, python3 and
# GoogleTest, and beyond a fresh machine libfaketime (to pin the
# clock that seeds the random source), the Russian locales the output is
# checked under, strace and valgrind, and clang's fuzzing and analysis tools.
# The page's build and browser tests: Emscripten (with Debian's acorn for its
# JavaScript optimizer), Chromium and Firefox, and the npm packages locked in
# package-lock.json. Extra package names may be given as arguments. Installs
# only what is missing.
set -euo pipefail

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# Node.js and npm come with the machine; a machine without them gets Debian's.
command -v npm >/dev/null || extra_node=(nodejs npm)
packages=(cmake g++ make python3 googletest libgtest-dev pkg-config dpkg-dev groff-base man-db
          libfaketime faketime locales strace valgrind clang clang-tidy clang-format cppcheck
          libclang-rt-14-dev lintian emscripten node-acorn chromium firefox-esr ${extra_node[@]+"${extra_node[@]}"} "$@")
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# name:charmap
for locale in ru_RU.UTF-8:UTF-8 ru_RU.CP1251:CP1251 ru_RU.KOI8-R:KOI8-R ru_UA.KOI8-U:KOI8-U \
              en_US.ISO-8859-1:ISO-8859-1; do
  name=${locale%%:*} charmap=${locale##*:}
  if [ "$(LC_ALL=$name locale charmap 2>/dev/null)" != "$charmap" ]; then
    echo "generating locale $name"
    # localedef may warn with a non-zero status; what counts is the result.
    as_root localedef -i "${name%%.*}" -f "$charmap" "$name" ||
      [ "$(LC_ALL=$name locale charmap 2>/dev/null)" = "$charmap" ]
  fi
done

# The browser tests' driver, as locked; it downloads no browser of its own.
bash "$(dirname "$0")/npm-packages.sh"
