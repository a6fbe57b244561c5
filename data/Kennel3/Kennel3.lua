-- Kennel 3.  The pet rooms replace this with the 3D kennel.
function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered Kennel3")
end
