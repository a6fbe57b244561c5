#!/bin/sh
# Started from a folder without the game's data (the repository's root, as
# a new player tries first), the game still finds its data and reaches the
# main menu; its first line is the version line alone.
# Usage: run_elsewhere.sh VORN START_FOLDER OUT_FOLDER
set -u
vorn=$1 start=$2 out=$3
fail() { echo "ELSEWHERE E2E FAILED: $*"; exit 1; }
rm -rf "$out" && mkdir -p "$out/home"
cat > "$out/driver.lua" <<'LUA'
function VornDriverFrame()
    if GetCurRoomName() == "MainMenu" then print("E2E main menu") VornDriverFrame = function() end end
end
LUA
cd "$start" || exit 1
[ ! -e Vorn.ini ] && [ ! -e startup.lua ] || fail "$start holds the data itself"
XDG_DATA_HOME="$out/home" XDG_CONFIG_HOME="$out/home" VORN_DRIVER="$out/driver.lua" \
    "$vorn" > "$out/log.txt" 2>&1 &
pid=$!
tries=0
until grep -q '^E2E main menu' "$out/log.txt"; do
    tries=$((tries + 1))
    kill -0 $pid 2>/dev/null || { cat "$out/log.txt"; fail "the game ended before the main menu"; }
    [ $tries -lt 600 ] || { kill -KILL $pid; cat "$out/log.txt"; fail "never reached the main menu"; }
    sleep 0.1
done
kill -TERM $pid
wait $pid
status=$?
cat "$out/log.txt"
[ "$status" -eq 0 ] || fail "the game exited with $status"
head -n 1 "$out/log.txt" | grep -qx 'Vorn [0-9]*\.[0-9]* build [0-9]* (.*)' || fail "the first line is not the version line"
echo "Elsewhere E2E passed"
