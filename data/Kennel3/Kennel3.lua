-- Kennel 3: pen 3 of the kennel with its cat idling.
dofile("COMMON/world.lua")
function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered Kennel3")
    BuildWorldRoom({
        model = "generated/rooms/kennel.glb",
        eye = {3.2, 1.4, 1.9}, target = {3.2, 0.3, 0.0},
        light = {0.2, -1.0, -0.5},
        cat = {3.2, 0.0, 0.2}, turn = 3.14159, coat = "Patches",
    })
end

function Room.OnStopRoom()
    LeaveWorldRoom()
end
