-- The options room.  The room itself makes the size buttons, the two boxes
-- and the volume bar and stores them at "Accept"; the script labels them.
dofile("COMMON/menus.lua")

local SIZES = {"800", "1024", "1280", "1600"}

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered OptionsMenu")
    local ink = 0xFFFFFFFF
    MenuLabel(MenuText("OptionsResolution"), 366, 205, 400, 36, 24, ink)
    for i, size in ipairs(SIZES) do
        MenuLabel(size, 400 + 100 * (i - 1) - 14, 285, 60, 24, 18, ink)
    end
    MenuLabel(MenuText("OptionsAntiAlias"), 440, 370, 240, 32, 22, ink)
    MenuLabel(MenuText("OptionsTips"), 440, 430, 240, 32, 22, ink)
    MenuLabel(MenuText("OptionsVolume"), 68, 170, 160, 36, 24, ink)
end

function Room.OnStopRoom()
    MenuClearLabels()
end

function Room.OnKeyHit(key)
    if key == 27 then GotoRoom("MainMenu") end
end
