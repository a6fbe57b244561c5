#!/bin/sh
# Runs the game on its shipped data with the scripted player of driver.lua
# and checks what happened: the rooms in order, a clean exit, no error or
# script error printed, and a picture of each room kept in OUT.
# Usage: run_e2e.sh VORN DATA_FOLDER OUT_FOLDER
set -u
vorn=$1 data=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out" && mkdir -p "$out/home"
{ printf 'E2E_OUT = "%s"\n' "$out"; cat "$here/driver.lua"; } > "$out/driver.lua"

cd "$data" || exit 1
# The save folder and the registry go to the test's own folder.
XDG_DATA_HOME="$out/home" XDG_CONFIG_HOME="$out/home" VORN_DRIVER="$out/driver.lua" \
    timeout 120 "$vorn" > "$out/log.txt" 2>&1
status=$?
cat "$out/log.txt"
fail() { echo "E2E FAILED: $*"; exit 1; }
[ "$status" -eq 0 ] || fail "the game exited with $status"
grep '^E2E' "$out/log.txt" | diff "$here/expected.txt" - || fail "the rooms differ from expected.txt"
if grep -E '\[string |Error|error' "$out/log.txt"; then fail "an error was printed"; fi
for picture in MainMenu OptionsMenu LoadMenu Kennel1 EmptyName Kennel3 House LoadMenuSaved DeleteQuestion AboutDialog QuitQuestion; do
    [ -s "$out/$picture.tga" ] || fail "no picture $picture.tga"
done
echo "E2E passed; pictures in $out"
