-- A room script that checks its own table: run by the scripted-room tests,
-- which call Lounge_Verdict() at the end.  Every failed check is collected.
failures = failures or {}
local function check(condition, what)
  if not condition then table.insert(failures, what) end
end

-- Fresh defaults on every visit, before this script changes anything.
for _, name in ipairs({'OnStartRoom', 'OnAfterStart', 'OnBeforeStop', 'OnStopRoom', 'OnAfterStop',
    'OnMainLoop', 'OnMouseMove', 'OnLButtonDown', 'OnLButtonUp', 'OnRButtonDown', 'OnRButtonUp',
    'OnKeyHit', 'OnTimer', 'OnPause', 'OnResume', 'OnParentNotify', 'OnStateChange', 'OnIdleTimeOut',
    'OnActivate'}) do
  check(type(Room[name]) == 'function', 'default ' .. name)
end
for _, name in ipairs({'DisableButton', 'EnableButton', 'SetTimer', 'KillTimer', 'Pause', 'Resume'}) do
  check(type(Room[name]) == 'function', 'method ' .. name)
end
check(Room.this ~= nil and Room.this.__object ~= nil, 'Room.this')
check(Room.ticks == nil, 'Room state left from an earlier visit')
lounge_visits = (lounge_visits or 0) + 1

function Room.OnStartRoom()
  check(GetCurRoomName() == 'Lounge', 'current room while starting')
  Room.ticks = 0
  Room.SetTimer(7, 250, 0)
end

function Room.OnTimer(id)
  check(id == 7, 'timer id')
  Room.ticks = Room.ticks + 1
  if Room.ticks == 2 then Room.KillTimer(7) end
end

function Room.OnKeyHit(key)
  if key == 27 then GotoRoom('Hall') end
end

function Room.OnStopRoom()
  check(Room.ticks == 2, 'two ticks, then killed: ' .. tostring(Room.ticks))
end

function Lounge_Verdict()
  return table.concat(failures, '; ')
end
