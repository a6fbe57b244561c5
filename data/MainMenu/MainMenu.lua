-- The main menu.  Its buttons are described in MainMenu.ini; the script
-- keeps count of the visits and puts a cat in the 3D window.
dofile("Pets/StorageFunc.lua")

gMainMenuVisits = (gMainMenuVisits or 0) + 1

-- The 3D window shows the pet where it stands at the origin, turned to look
-- out of the window at the player: one back from the house would otherwise
-- show its back or its side.
local PREVIEW_EYE = {0.4, -1.05}      -- the camera of MainMenu.ini's [Preview], on the floor

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered MainMenu (visit " .. gMainMenuVisits .. ")")
    -- An empty window looks broken: without a pet yet, the last one played
    -- sits in it, or on a first start a kitten from the kennel.  Neither is
    -- saved from here.
    if not pet and NewPet then
        local last = PetToLoad(nil)
        if not (last and LoadPet(last)) then NewPet("Abyssinian") end
    end
    if pet and pet.FacePoint then
        pet:SetPosition(0, 0, 0)
        pet:FacePoint(PREVIEW_EYE[1], 0, PREVIEW_EYE[2])
    end
end

function Room.OnKeyHit(key)
    -- Escape in the main menu asks to leave the game.
    if key == 27 then
        Quit()
    end
end
