#!/usr/bin/env bash
# The Linux packages as a player gets them: the .deb's control fields and
# contents, its manual rendered without warnings, and the packaged programs
# run from a folder holding a copy of the packaged example tables. The .deb
# is unpacked with dpkg-deb -x, never installed.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --workflow --preset release >/dev/null
deb=build/release/packages/upgrade-sim_1.0.0_amd64.deb
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package test failed: $*" >&2; exit 1; }

info=$(dpkg-deb --info "$deb")
for field in 'Package: upgrade-sim' 'Version: 1.0.0' 'Maintainer: ' 'Description: ' 'Depends: libc6 (>= '; do
  grep -qF "$field" <<<"$info" || fail "no '$field' in the control fields"
done
contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/upgrade-sim ./usr/bin/upgrade-odds ./usr/share/man/man1/upgrade-sim.1.gz \
            ./usr/share/man/man1/upgrade-odds.1.gz ./usr/share/doc/upgrade-sim/README.md \
            ./usr/share/upgrade-sim/examples/CustomSettings/SuccessProb.ini; do
  grep -qF " $path" <<<"$contents" || fail "$path is not in the package"
done

dpkg-deb -x "$deb" "$scratch/root"
warnings=$(gzip -dc "$scratch/root/usr/share/man/man1/upgrade-sim.1.gz" |
           groff -k -ww -z -man -Tutf8 2>&1) || fail "groff failed"
[ -z "$warnings" ] || fail "the manual renders with warnings: $warnings"
MANWIDTH=80 man -l "$scratch/root/usr/share/man/man1/upgrade-sim.1.gz" 2>&1 >/dev/null |
  (! grep .) || fail "man -l warns"

mkdir "$scratch/player"
cp -r "$scratch/root/usr/share/upgrade-sim/examples/CustomSettings" "$scratch/player/"
cd "$scratch/player"
output=$(setsid -w "$scratch/root/usr/bin/upgrade-sim" <<<'3 2 50 1 3 3 2 0' | LC_ALL=C.UTF-8 cat)
grep -qF 'Шанс успеха = 13 %' <<<"$output" || fail "the packaged simulator shows: $output"
[ "$(grep -c '^[+-] ' <<<"$output")" = 3 ] || fail "not three attempt lines"
odds=$("$scratch/root/usr/bin/upgrade-odds" --csv 3 2 50 1 3 3 2 0 | tail -n 1)
[ "${odds%%,0.*}" = "3,2,50,1,7.125,13252,13" ] || fail "the packaged odds show: $odds"
echo "package tests passed"
