#!/bin/sh
# Keys from the scripted player arrive as the player's own would: in the main
# menu it opens the console, types a command with a typing error and mends
# it with Backspace, Home, Delete, End and the arrows, runs it with Return
# and leaves the console with Escape (what it types afterwards must not run).
# Usage: run_keys.sh VORN DATA_FOLDER OUT_FOLDER
set -u
vorn=$1 data=$2 out=$3
fail() { echo "KEYS E2E FAILED: $*"; exit 1; }
rm -rf "$out" && mkdir -p "$out/home"
cat > "$out/driver.lua" <<'LUA'
local BACKSPACE, RETURN, ESCAPE = 8, 13, 27
local END, HOME, LEFT, RIGHT, DELETE = 270, 271, 272, 273, 277
local keys = {}
local function type(text) for i = 1, #text do table.insert(keys, string.byte(text, i)) end end
local function press(...) for _, k in ipairs({...}) do table.insert(keys, k) end end
press(string.byte("`"))                      -- opens the console
type("zprint('E2E typed ' .. 'keys')Q")
press(BACKSPACE, HOME, DELETE, END, LEFT, RIGHT, RETURN)
press(ESCAPE)
type("print('E2E console still open')")
press(RETURN)
local started, sent = false, false
function VornDriverFrame()
    if not started then
        if GetCurRoomName() ~= "MainMenu" then return end
        started = true
    end
    if #keys > 0 then PostKey(table.remove(keys, 1)) return end
    if not sent then print("E2E keys sent") sent = true end
end
LUA
cd "$data" || exit 1
XDG_DATA_HOME="$out/home" XDG_CONFIG_HOME="$out/home" VORN_DRIVER="$out/driver.lua" \
    "$vorn" > "$out/log.txt" 2>&1 &
pid=$!
tries=0
until grep -q '^E2E keys sent' "$out/log.txt"; do
    tries=$((tries + 1))
    kill -0 $pid 2>/dev/null || { cat "$out/log.txt"; fail "the game ended early"; }
    [ $tries -lt 600 ] || { kill -KILL $pid; cat "$out/log.txt"; fail "the keys were never all sent"; }
    sleep 0.1
done
sleep 0.5   # the last keys are handled in the frames that follow
kill -TERM $pid
wait $pid
cat "$out/log.txt"
grep -qx 'E2E typed keys' "$out/log.txt" || fail "the mended command did not run"
if grep -q 'E2E console still open' "$out/log.txt"; then fail "Escape did not close the console"; fi
echo "Keys E2E passed"
