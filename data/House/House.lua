-- The house: the living room with the cat idling on the rug.
dofile("COMMON/world.lua")
function Room.OnStartRoom()
    print("Entered House")
    BuildWorldRoom({
        model = "generated/rooms/living_room.glb",
        eye = {0.0, 1.5, 2.9}, target = {0.0, 0.4, 0.0},
        light = {-0.3, -1.0, -0.4},
        cat = {0.0, 0.0, 0.6}, turn = 3.14159,
    })
end

function Room.OnStopRoom()
    LeaveWorldRoom()
end
