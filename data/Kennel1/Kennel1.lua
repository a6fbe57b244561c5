-- Kennel 1.  The pet rooms replace this with the 3D kennel.
function Room.OnStartRoom()
    print("Entered Kennel1")
end
