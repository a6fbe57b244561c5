-- The load menu.  The room lists the saves and sets Room.selected_pet when
-- one is clicked; the buttons start disabled until then.
dofile("COMMON/menus.lua")
dofile("Pets/StorageFunc.lua")

local function ButtonHandle(name)
    return {
        Enable = function() Room.EnableButton(name) end,
        Disable = function() Room.DisableButton(name) end,
    }
end

function LoadSelectedPet()
    local path = Room.selected_pet
    if path == nil then return end
    if LoadPet and not LoadPet(path) then
        DoOkDialog(MenuText("LoadPetFailed"))
        return
    end
    -- the house reads the save it was sent from here
    gszLoadPet = path
    GotoRoom("House")
end

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered LoadMenu")
    Room.load_btn = ButtonHandle("Load")
    Room.delete_btn = ButtonHandle("Delete")
    Room.load_btn:Disable()
    Room.delete_btn:Disable()
    MenuLabel(MenuText("LoadPetTitle"), 150, 150, 500, 40, 28)
end

function Room.OnStopRoom()
    MenuClearLabels()
end

function Room.OnKeyHit(key)
    if key == 27 then GotoRoom("MainMenu") end
end
