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

# The player's .zip: a stripped .exe of each program and a README for Notepad.
python3 - "build/windows/packages/upgrade-sim-$(bash scripts/version.sh)-win64.zip" <<'PY'
import subprocess, sys, tempfile, zipfile
archive = zipfile.ZipFile(sys.argv[1])
names = archive.namelist()
readme = [n for n in names if n.endswith("/README.txt")]
assert readme, f"no README.txt in {names}"
text = archive.read(readme[0])
assert text.startswith(b"\xef\xbb\xbf"), "README.txt lacks its byte-order mark"
assert text.count(b"\n") == text.count(b"\r\n") > 10, "README.txt lines must end in CR LF"
text.decode("utf-8")
for member in ("upgrade-sim.html", "LICENSE.txt"):
    assert any(n.endswith("/" + member) for n in names), f"no {member} in {names}"
for program in ("upgrade-sim.exe", "upgrade-odds.exe"):
    [member] = [n for n in names if n.endswith("/" + program)]
    with tempfile.NamedTemporaryFile(suffix=".exe") as exe:
        exe.write(archive.read(member))
        exe.flush()
        sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", exe.name],
                                  capture_output=True, text=True, check=True).stdout
    assert ".debug" not in sections, f"{program} carries debug sections"
print("windows package checks passed")
PY
