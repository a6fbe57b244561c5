-- Kennel 1: one kitten of each breed; the arrows show the others, "Choose"
-- keeps the one shown and goes on to name it.
dofile("COMMON/menus.lua")
dofile("Pets/StorageFunc.lua")

local function Breeds()
    return gBreeds or {"Bengal", "Abyssinian", "Snowpoint"}
end

-- Shows the kitten `step` places on (wrapping round): a new pet of its breed
-- becomes the registered pet, which the 3D window shows.
function ShowKitten(step)
    local breeds = Breeds()
    gKennelKitten = ((gKennelKitten or 1) - 1 + step) % #breeds + 1
    gChosenBreed = breeds[gKennelKitten]
    if NewPet then
        local kitten = NewPet(gChosenBreed)
        if kitten then kitten:PlayInfinite("SitIdle", 1) end
    end
    if Room.breed_text then
        Room.breed_text:SetString(MenuText("KittenBreed") .. " " .. gChosenBreed)
    end
end

function ChooseKitten()
    GotoRoom("Kennel2")
end

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered Kennel1")
    MenuLabel(MenuText("ChooseKitten"), 100, 16, 600, 40, 28)
    Room.breed_text = MenuLabel("", 200, 440, 400, 36, 24)
    ShowKitten(0)
end

function Room.OnKeyHit(key)
    if key == 27 then GotoRoom("MainMenu") end
end
