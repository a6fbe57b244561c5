-- The cursor functions as the script host installs them: ids, the default
-- cursor, nested hiding and names that are not in the cursor list.
assert(GetCursor() == 0)
SetCursor(3)
assert(GetCursor() == 3)
SetDefaultCursor(11)
assert(GetDefaultCursor() == 11)
HideCursor()
HideCursor()
ShowCursor()
ShowCursor()
assert(GetCursorIDFromName("NoSuchCursor") == 0)
assert(not pcall(SetCursor), "SetCursor needs an id")
