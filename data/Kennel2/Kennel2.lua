-- Kennel 2: pen 2 of the kennel with its cat idling.
dofile("COMMON/world.lua")
function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered Kennel2")
    BuildWorldRoom({
        model = "generated/rooms/kennel.glb",
        eye = {0.0, 1.4, 1.9}, target = {0.0, 0.3, 0.0},
        light = {0.2, -1.0, -0.5},
        cat = {0.0, 0.0, 0.2}, turn = 3.14159, coat = "Bengal",
    })
end

function Room.OnStopRoom()
    LeaveWorldRoom()
end
