-- The main menu.  Its buttons are described in MainMenu.ini; the script only
-- keeps count of the visits and greets the player once.

gMainMenuVisits = (gMainMenuVisits or 0) + 1

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered MainMenu (visit " .. gMainMenuVisits .. ")")
end

function Room.OnKeyHit(key)
    -- Escape in the main menu asks to leave the game.
    if key == 27 then
        Quit()
    end
end
