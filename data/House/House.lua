-- The house: the living room seen from the television, the cat idling
-- in front of the coffee table.
dofile("COMMON/world.lua")
function Room.OnStartRoom()
    RoomMusic("house.mp3")
    print("Entered House")
    BuildWorldRoom({
        model = "generated/rooms/living_room.glb",
        eye = {0.4, 1.4, -1.9}, target = {0.0, 0.3, 0.4},
        light = {-0.3, -1.0, 0.4},
        cat = {0.0, 0.0, -0.4},
    })
end

function Room.OnStopRoom()
    LeaveWorldRoom()
end
