#!/usr/bin/env bash
# The Linux packages as a player gets them: the .deb's control fields and
# contents, its manual rendered without warnings, and the packaged programs
# run from a folder holding a copy of the packaged example tables. The .deb
# is unpacked with dpkg-deb -x, never installed.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --workflow --preset release >/dev/null
version=$(bash scripts/version.sh)
deb=build/release/packages/upgrade-sim_${version}_amd64.deb
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package test failed: $*" >&2; exit 1; }

info=$(dpkg-deb --info "$deb")
for field in 'Package: upgrade-sim' "Version: $version" 'Maintainer: ' 'Description: ' 'Depends: libc6 (>= '; do
  grep -qF "$field" <<<"$info" || fail "no '$field' in the control fields"
done
contents=$(dpkg-deb --contents "$deb")
manuals="./usr/share/man/man1/upgrade-sim.1.gz ./usr/share/man/man1/upgrade-odds.1.gz
         ./usr/share/man/ru/man1/upgrade-sim.1.gz ./usr/share/man/ru/man1/upgrade-odds.1.gz"
for path in ./usr/bin/upgrade-sim ./usr/bin/upgrade-odds $manuals ./usr/share/doc/upgrade-sim/README.md \
            ./usr/share/doc/upgrade-sim/LICENSE ./usr/share/doc/upgrade-sim/copyright \
            ./usr/share/upgrade-sim/examples/CustomSettings/SuccessProb.ini \
            ./usr/share/upgrade-sim/upgrade-sim.html; do
  grep -qF " $path" <<<"$contents" || fail "$path is not in the package"
done

dpkg-deb -x "$deb" "$scratch/root"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$scratch/root/usr/share/doc/upgrade-sim/copyright" || fail "copyright is not in Debian's format"
for page in $manuals; do
  warnings=$(gzip -dc "$scratch/root/$page" | groff -k -ww -z -man -Tutf8 2>&1) || fail "groff failed"
  [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
  rendered=$(MANWIDTH=80 man -l "$scratch/root/$page" 2>"$scratch/man.err")
  [ ! -s "$scratch/man.err" ] || fail "man -l warns on $page: $(cat "$scratch/man.err")"
  # Guillemets stand right against the quoted words, with nothing stray.
  grep -q '«[^ ]' <<<"$rendered" || fail "no quotation in $page"
  ! grep -qE '[^ (]«|»[^ ,.)]|«q|q»' <<<"$rendered" || fail "stray characters by the guillemets in $page"
  # The manual names the same languages as the program's help.
  codes=$("$scratch/root/usr/bin/upgrade-odds" --help --lang en | sed -n 's/.*--lang .*one of \([a-z, ]*[a-z]\) (.*/\1/p')
  [ -n "$codes" ] || fail "upgrade-odds --help names no language codes"
  flowing=$(tr -s ' \n' '  ' <<<"$rendered")
  grep -qF "one of $codes (" <<<"$flowing" || grep -qF "один из $codes (" <<<"$flowing" ||
    fail "$page does not name the languages $codes"
done
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.txt" 2>&1 || true
  cat "$scratch/lintian.txt"
  ! grep -q '^E: ' "$scratch/lintian.txt" || fail "lintian reports errors"
fi

# The README's install steps, as a player pastes them, in a home of their
# own: the .deb's files where the unpacked package has them.
readme_block() { sed -n "/<!-- $1 -->/,/^\`\`\`\$/p" README.md | sed '1,2d;$d'; }
player_home=$scratch/home
mkdir -p "$player_home"
steps=$(readme_block install-deb | sed "s|/usr/share/|$scratch/root/usr/share/|g")
output=$(cd "$player_home" && HOME=$player_home PATH=$scratch/root/usr/bin:$PATH \
         setsid -w bash -euc "$steps" <<<'3 2 50 1 3 3 2 0' | LC_ALL=C.UTF-8 cat)
grep -qF 'Шанс успеха = 13 %' <<<"$output" || fail "the README's .deb steps give: $output"
rm -rf "$player_home" && mkdir -p "$player_home"
cp "build/release/packages/upgrade-sim-${version}-Linux.tar.gz" "$player_home/"
steps=$(readme_block install-tgz)
output=$(cd "$player_home" && HOME=$player_home setsid -w bash -euc "$steps" \
         <<<'3 2 50 1 3 3 2 0' | LC_ALL=C.UTF-8 cat)
grep -qF 'Шанс успеха = 13 %' <<<"$output" || fail "the README's .tar.gz steps give: $output"
tar tzf "build/release/packages/upgrade-sim-${version}-Linux.tar.gz" >"$scratch/tgz.txt"
grep -q 'LICENSE$' "$scratch/tgz.txt" || fail "no licence in the .tar.gz"
grep -q 'upgrade-sim.html$' "$scratch/tgz.txt" || fail "no page in the .tar.gz"

mkdir "$scratch/player"
cp -r "$scratch/root/usr/share/upgrade-sim/examples/CustomSettings" "$scratch/player/"
cd "$scratch/player"
output=$(setsid -w "$scratch/root/usr/bin/upgrade-sim" <<<'3 2 50 1 3 3 2 0' | LC_ALL=C.UTF-8 cat)
grep -qF 'Шанс успеха = 13 %' <<<"$output" || fail "the packaged simulator shows: $output"
[ "$(grep -c '^[+-] ' <<<"$output")" = 3 ] || fail "not three attempt lines"
odds=$("$scratch/root/usr/bin/upgrade-odds" --csv 3 2 50 1 3 3 2 0 | tail -n 1)
[ "${odds%%,0.*}" = "3,2,50,1,7.125,13252,13" ] || fail "the packaged odds show: $odds"
echo "package tests passed"
