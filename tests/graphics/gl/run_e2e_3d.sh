#!/bin/sh
# The game's scripted menu run with the 3D screen switched on ("UseDirect3D"
# = 2, windowed) in a copy of the shipped data, which keeps its software
# screen until the 3D world is in.  Under SDL's offscreen driver the game
# runs on the 3D screen; under the dummy driver it must fall back, say why
# once, and still pass.
# Usage: run_e2e_3d.sh VORN DATA_FOLDER OUT_FOLDER E2E_SCRIPT
set -u
vorn=$1 data=$2 out=$3 e2e=$4
rm -rf "$out" && mkdir -p "$out/run" && chmod 700 "$out/run"
cp -r "$data" "$out/data"
sed -i 's/^UseDirect3D=.*/UseDirect3D=2/' "$out/data/Vorn.ini"
grep -q '^UseDirect3D=2' "$out/data/Vorn.ini" || { echo "no UseDirect3D key to switch"; exit 1; }
# A run folder of its own, so a game running elsewhere on the machine does
# not hold the single-instance lock.
XDG_RUNTIME_DIR="$out/run" "$e2e" "$vorn" "$out/data" "$out/e2e" || exit 1
case "${SDL_VIDEODRIVER:-}" in
dummy) grep -q 'The 3D screen could not open' "$out/e2e/log.txt" || { echo "no reason printed"; exit 1; } ;;
*) if grep 'The 3D screen could not open' "$out/e2e/log.txt"; then exit 1; fi ;;
esac
echo "3D screen run passed"
