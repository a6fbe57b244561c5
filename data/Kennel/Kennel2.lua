-- Kennel 2: the player types the kitten's name (Return or "Ok"); an empty
-- name is refused with a message.
dofile("COMMON/menus.lua")
dofile("Pets/StorageFunc.lua")

local NAME_LIMIT = 16
local RETURN = 13
-- The room is made active once it has started, which takes the keys away
-- from the field; the field takes them back at the first tick of this timer.
local FOCUS_TIMER = 1

-- The name as typed, without spaces at either end.
local function TypedName()
    local text = Room.name_edit and Room.name_edit:GetString() or ""
    return (string.gsub(text, "^%s*(.-)%s*$", "%1"))
end

function AcceptName()
    local name = TypedName()
    if name == "" then
        DoOkDialog(MenuText("EmptyPetName"))
        if Room.name_edit then Room.name_edit:SetActive() end
        return
    end
    gChosenName = name
    if SetPetName then SetPetName(name) end
    GotoRoom("Kennel3")
end

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered Kennel2")
    MenuLabel(MenuText("NameKitten"), 100, 16, 600, 40, 28)
    local edit = CxEditText()
    edit:Create(210, 390, 380, 40)
    edit:SetDefaultDepth(32)
    edit:SetPointSize(26)
    edit:SetFont(GetGameFont and GetGameFont() or -1)
    edit:SetColor(0xFF402810)
    edit:SetBkColor(0xFFFFF8E8)
    edit:SetLengthLimit(NAME_LIMIT)
    edit:MakeCaret(30, 0xFF402810)
    edit:SetEditState(1)
    edit:Link(Room.this)
    edit:Paint(210, 390)
    edit:SetString(gChosenName or "")
    edit:SetActive()
    Room.name_edit = edit
    Room.SetTimer(FOCUS_TIMER, 1, 0)
end

function Room.OnTimer(id)
    if id ~= FOCUS_TIMER then return end
    Room.KillTimer(FOCUS_TIMER)
    if Room.name_edit then Room.name_edit:SetActive() end
end

-- Return in the name field accepts the name as the button does.
function Room.OnParentNotify(kind, sender, code, extra)
    if kind == 3 and code == RETURN then AcceptName() end
end

function Room.OnStopRoom()
    if Room.name_edit then
        Room.name_edit:Destroy()
        Room.name_edit = nil
    end
    MenuClearLabels()
end
