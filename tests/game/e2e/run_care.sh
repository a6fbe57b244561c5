#!/bin/sh
# A player's first visit on the 3D screen: adopts a kitten, looks after it
# in the house and quits through the house's menu; then starts the game
# again and loads the pet.  Checks every "E2E" line of care.lua, a clean
# exit of both runs, no error printed, that the save holds what the first
# run left and the second run found it again; pictures stay in OUT.
# Usage: run_care.sh VORN DATA_FOLDER OUT_FOLDER
set -u
vorn=$1 data=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out" && mkdir -p "$out/home"
fail() { echo "E2E FAILED: $*"; exit 1; }

run() {   # phase
    { printf 'E2E_OUT = "%s"\nE2E_PHASE = "%s"\n' "$out" "$1"; cat "$here/care.lua"; } > "$out/$1.lua"
    (cd "$data" && XDG_DATA_HOME="$out/home" XDG_CONFIG_HOME="$out/home" VORN_DRIVER="$out/$1.lua" \
        timeout 240 "$vorn" > "$out/$1.txt" 2>&1)
    status=$?
    cat "$out/$1.txt"
    [ "$status" -eq 0 ] || fail "the $1 run exited with $status"
    if grep -E '\[string |Error|error|E2E FAIL' "$out/$1.txt"; then fail "the $1 run printed an error or a failed check"; fi
    grep -q '^E2E quitting' "$out/$1.txt" || fail "the $1 run did not reach its end"
}

run adopt
[ "$(grep -c '^E2E ok' "$out/adopt.txt")" -ge 21 ] || fail "checks of the adopt run are missing"
save=$(find "$out/home" -name "pet_*.sav" | head -1)
[ -n "$save" ] || fail "no save file"
grep -q '^Name=Miso' "$save" || fail "the save does not name the pet"
grep -q '^Breed=Abyssinian' "$save" || fail "the save does not hold the breed"

run load
grep -q '^E2E loaded name=Miso breed=Abyssinian' "$out/load.txt" || fail "the loaded pet is not the adopted one"
# Needs come back as they were saved (they drift a little while the house runs).
saved=$(grep '^E2E needs' "$out/adopt.txt" | tail -1)
loaded=$(grep '^E2E needs' "$out/load.txt" | head -1)
echo "saved:  $saved"; echo "loaded: $loaded"
python3 - "$saved" "$loaded" <<'PY' || fail "the needs did not come back"
import sys
a = dict(kv.split("=") for kv in sys.argv[1].split()[2:])
b = dict(kv.split("=") for kv in sys.argv[2].split()[2:])
bad = [k for k in a if abs(float(a[k]) - float(b[k])) > 3]
sys.exit(1 if bad or not a else 0)
PY
for picture in Kennel1 Kennel2 Certificate House Stroke Poke Push BallAtRest Chase Treat Shower Sprayed HouseMenu LoadMenu Loaded; do
    [ -s "$out/$picture.tga" ] || fail "no picture $picture.tga"
done
cat "$out/adopt.txt" "$out/load.txt" > "$out/log.txt"
echo "E2E passed; pictures in $out"
