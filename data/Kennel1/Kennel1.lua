-- Kennel 1.  The pet rooms replace this with the 3D kennel.
function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered Kennel1")
end
