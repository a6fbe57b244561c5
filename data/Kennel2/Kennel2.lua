-- Kennel 2.  The pet rooms replace this with the 3D kennel.
function Room.OnStartRoom()
    print("Entered Kennel2")
end
