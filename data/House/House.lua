-- The house.  The pet rooms replace this with the 3D house.
function Room.OnStartRoom()
    print("Entered House")
end
