#!/usr/bin/env bash
# Installs what the tests use beyond a fresh machine: libfaketime (to pin the
# clock that seeds the random source) and the Russian locales the output is
# checked under. Does nothing that is already there.
set -euo pipefail

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=()
compgen -G '/usr/lib/*/faketime/libfaketime.so.1' >/dev/null || packages+=(libfaketime faketime)
command -v localedef >/dev/null && [ -d /usr/share/i18n/locales ] || packages+=(locales)
for extra in "$@"; do packages+=("$extra"); done

missing=()
for package in ${packages[@]+"${packages[@]}"}; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# name:charmap, as the tests ask for them
for locale in ru_RU.UTF-8:UTF-8 ru_RU.CP1251:CP1251 ru_RU.KOI8-R:KOI8-R; do
  name=${locale%%:*} charmap=${locale##*:}
  if [ "$(LC_ALL=$name locale charmap 2>/dev/null)" != "$charmap" ]; then
    echo "generating locale $name"
    as_root localedef -i ru_RU -f "$charmap" "$name" || true
  fi
done
