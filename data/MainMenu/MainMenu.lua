-- The main menu.  Its buttons are described in MainMenu.ini; the script only
-- keeps count of the visits and greets the player once.

gMainMenuVisits = (gMainMenuVisits or 0) + 1

-- The 3D window shows the pet where it stands at the origin; one that comes
-- back from the house is turned to look out of the window at the player,
-- not left with its back or its side to the camera.
local PREVIEW_EYE = {0.4, -1.05}      -- the camera of MainMenu.ini's [Preview], on the floor

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered MainMenu (visit " .. gMainMenuVisits .. ")")
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
