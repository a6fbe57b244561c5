-- The house.  The pet rooms replace this with the 3D house.
function Room.OnStartRoom()
    RoomMusic("house.mp3")
    print("Entered House")
end
