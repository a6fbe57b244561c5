#!/bin/sh
# A quit signal (SIGTERM from a logout or `kill`, SIGINT from Ctrl+C) ends the
# game as a confirmed quit: no question, the game's files saved, exit code 0.
# The scripted player changes an option once the main menu is up, so the
# options file exists only when the game saved it on the way out.  While the
# first game runs, a second start ends at once with code 0 and says why in
# one line on standard error.
# Usage: run_running.sh VORN DATA_FOLDER OUT_FOLDER
set -u
vorn=$1 data=$2 out=$3
fail() { echo "SIGNAL E2E FAILED: $*"; exit 1; }
rm -rf "$out" && mkdir -p "$out"
cat > "$out/driver.lua" <<'LUA'
local said = false
function VornDriverFrame()
    if said or GetCurRoomName() ~= "MainMenu" then return end
    qor.options:SetInt("Options", "ShowTipDialogs", 0)
    print("E2E ready")
    said = true
end
LUA
cd "$data" || exit 1
for signal in TERM INT; do
    home="$out/$signal"
    mkdir -p "$home"
    XDG_DATA_HOME="$home" XDG_CONFIG_HOME="$home" VORN_DRIVER="$out/driver.lua" \
        "$vorn" > "$out/$signal.txt" 2>&1 &
    pid=$!
    tries=0
    until grep -q '^E2E ready' "$out/$signal.txt"; do
        tries=$((tries + 1))
        [ $tries -lt 600 ] || { kill -KILL $pid; cat "$out/$signal.txt"; fail "never reached the main menu"; }
        sleep 0.1
    done
    if [ $signal = TERM ]; then
        XDG_DATA_HOME="$home" XDG_CONFIG_HOME="$home" timeout 20 "$vorn" > "$out/second.txt" 2> "$out/second-err.txt"
        second=$?
        [ "$second" -eq 0 ] || { kill -KILL $pid; fail "the second start exited with $second"; }
        [ "$(wc -l < "$out/second-err.txt")" -eq 1 ] && grep -q 'already running' "$out/second-err.txt" ||
            { kill -KILL $pid; cat "$out/second-err.txt"; fail "the second start did not say the game runs"; }
    fi
    kill -$signal $pid
    # The game must end by itself; after 20 seconds it is taken down.
    ( sleep 20; kill -KILL $pid 2>/dev/null ) >/dev/null 2>&1 &
    watchdog=$!
    wait $pid
    status=$?
    kill $watchdog 2>/dev/null
    cat "$out/$signal.txt"
    [ "$status" -eq 0 ] || fail "SIG$signal: the game exited with $status"
    grep -q 'ShowTipDialogs=0' "$home/Marloft/Vorn/options.ini" 2>/dev/null ||
        fail "SIG$signal: the options were not saved"
done
echo "Signal E2E passed"
