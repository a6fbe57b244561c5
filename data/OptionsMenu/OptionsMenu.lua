-- The options room.  A check button switches the tip messages on and off and
-- keeps the choice in the game options.

local function TipsWanted()
    return qor.options:GetInt("Options", "ShowTipDialogs", 1) ~= 0
end

local function StoreTips(on)
    qor.options:SetInt("Options", "ShowTipDialogs", on and 1 or 0)
end

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered OptionsMenu")
    Room.tips = CxCheckButton()
    Room.tips:LoadSurface("generated/Common/check.tga", 5)
    Room.tips:Link(Room.this)
    Room.tips:SetCheck(TipsWanted() and 1 or 0)
    Room.tips:Paint(300, 250)
end

function Room.OnParentNotify(kind, sender, code, extra)
    -- A change of the check button's checked state arrives as codes 0 and 1.
    if Room.tips and kind == 0 and (code == 0 or code == 1) then
        StoreTips(Room.tips:GetCheck() == 1)
    end
end

function Room.OnKeyHit(key)
    if key == 27 then
        GotoRoom("MainMenu")
    end
end
