-- The room-stack functions in a host without rooms: they exist, answer as an
-- empty stack, and still refuse arguments of the wrong type.
assert(GetCurRoomName() == nil)
assert(GetCurRoomPtr() == nil)
assert(PeekRoom() == "")
assert(IsLeavingRoom() == false)

PushRoom("House")
GotoRoom("House")
PopRoom()
ReloadRoom()
PauseRoom()
ResumeRoom()
assert(PeekRoom() == "")

local function refused(f, ...)
  local ok, message = pcall(f, ...)
  assert(not ok, "call was accepted")
  assert(string.find(message, "bad argument"), message)
end
refused(PushRoom, 5)
refused(GotoRoom, nil)
refused(RoomLoadSurface, {})
refused(_G["Room::SetTimer"], nil, 1, 100)
refused(_G["Room::KillTimer"], "House", 1)

-- The framework's dialogs by name: unknown names do nothing.
StartModalDialog("NoSuchDialog")
EndModalDialog("NoSuchDialog")
refused(StartModalDialog, 7)
refused(EndModalDialog)
