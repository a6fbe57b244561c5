-- The load menu.  Until saved pets exist it only leads back.
function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered LoadMenu")
end
