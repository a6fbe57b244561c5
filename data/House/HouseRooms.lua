-- The rooms of the house, by `Room.m_nCurRoom`: 1 yard, 2 living room,
-- 3 kitchen, 4 bathroom, 5 bedroom.  Floors, furniture boxes and lights
-- follow the generated rooms (generated/rooms/rooms.ini); metres, y up.
-- Every camera looks toward the engine's -z, so a throw "away from the
-- player" goes toward -z.
--
-- walk  = min x, min z, max x, max z of the floor the cat may stand on
-- view  = the part of it the camera shows (where the cat chooses to go)
-- boxes = furniture footprints (min x, min z, max x, max z) it keeps out of
-- player = the spot in front of the camera where the cat comes to the player
-- props = objects placed in the room, named as the pet room's clickables

HOUSE_ROOM_NAMES = { "Yard", "Living Room", "Kitchen", "Bathroom", "Bedroom" }

-- Written in the generator's axes (as rooms.ini gives them: z south); the
-- engine mirrors z when it loads a model, so the table is turned into the
-- engine's axes below.
local ROOMS = {
    [1] = {
        model = "generated/rooms/yard.glb",
        eye = {0.0, 1.9, -4.0}, target = {0.0, 0.2, 1.2}, light = {-0.4, -1.0, 0.3},
        walk = {-5.8, -4.3, 5.8, 4.3}, view = {-3.0, -2.4, 3.0, 2.6},
        boxes = { {-4.05, -2.75, -3.55, -2.25}, {3.85, -3.35, 4.55, -2.65}, {-5.5, 2.2, -4.1, 3.4},
                  {4.3, 1.9, 5.7, 3.1}, {0.8, -4.2, 2.2, -3.0}, {-0.25, -3.53, 1.25, -3.07},
                  {-2.5, -3.9, -0.5, -3.3} },
        player = {0.0, -2.2}, cat = {0.4, 0.0, -1.0},
        props = {},
    },
    [2] = {
        model = "generated/rooms/living_room.glb",
        eye = {0.2, 1.6, -1.4}, target = {0.0, 0.25, 0.7}, light = {-0.3, -1.0, 0.4},
        walk = {-2.9, -2.4, 2.9, 2.4}, view = {-1.9, -1.2, 1.9, 1.5},
        boxes = { {-1.0, -2.33, 1.0, -1.47}, {-0.55, -0.9, 0.55, -0.3}, {-2.82, -0.82, -1.58, 0.42},
                  {2.0, -2.36, 3.0, -2.04}, {-0.7, 2.0, 0.7, 2.4}, {-2.7, -2.2, -2.3, -1.8},
                  {2.35, 1.75, 2.85, 2.25} },
        player = {0.9, -1.1}, cat = {0.2, 0.0, 0.55},
        bowls = { food = {1.5, 0.85}, water = {1.85, 0.55} },
        props = {
            { name = "Food Bowl", file = "generated/props/food_bowl.glb", at = {1.5, 0, 1.0} },
            { name = "Water Bowl", file = "generated/props/water_bowl.glb", at = {1.85, 0, 0.7} },
            { name = "Pet Bed", file = "generated/props/cat_bed.glb", at = {-1.3, 0, 1.0}, spot = {-1.3, 1.0} },
            { name = "Scratching Post", file = "generated/props/scratching_post.glb", at = {2.4, 0, -0.6} },
        },
    },
    [3] = {
        model = "generated/rooms/kitchen.glb",
        eye = {0.0, 1.65, -1.75}, target = {0.0, 0.3, 1.0}, light = {-0.2, -1.0, 0.5},
        walk = {-2.15, -1.9, 2.15, 1.9}, view = {-1.9, -1.2, 1.9, 1.7},
        boxes = { {-1.21, -2.01, 0.01, -1.39}, {-0.01, -2.01, 1.21, -1.39}, {1.19, -2.01, 2.41, -1.39},
                  {-2.0, -2.0, -1.4, -1.4}, {1.55, 1.15, 2.25, 1.85}, {-0.9, 0.2, 0.3, 1.0},
                  {-1.23, 0.37, -0.77, 0.83}, {0.17, 0.37, 0.63, 0.83} },
        player = {0.9, -0.9}, cat = {0.7, 0.0, 0.2},
        bowls = { food = {-1.6, 1.35}, water = {-1.2, 1.45} },
        props = {
            { name = "Food Bowl", file = "generated/props/food_bowl.glb", at = {-1.6, 0, 1.5} },
            { name = "Water Bowl", file = "generated/props/water_bowl.glb", at = {-1.2, 0, 1.6} },
        },
    },
    [4] = {
        model = "generated/rooms/bathroom.glb",
        eye = {0.0, 1.6, -1.35}, target = {0.0, 0.3, 0.9}, light = {0.2, -1.0, 0.4},
        walk = {-1.5, -1.4, 1.5, 1.4}, view = {-1.3, -0.4, 1.3, 1.3},
        boxes = { {-1.45, -1.4, 0.25, -0.6}, {1.0, -1.4, 1.4, -0.8}, {1.05, 0.02, 1.45, 0.58} },
        player = {0.5, -0.4}, cat = {0.0, 0.0, 0.4},
        props = {},
    },
    [5] = {
        model = "generated/rooms/bedroom.glb",
        eye = {0.9, 1.6, -1.8}, target = {0.0, 0.3, 1.0}, light = {-0.3, -1.0, 0.3},
        walk = {-2.4, -1.9, 2.4, 1.9}, view = {-2.2, -0.6, 2.2, 1.7},
        boxes = { {-1.35, -1.95, 0.15, 0.15}, {0.37, -1.9, 0.83, -1.5}, {1.8, -2.1, 2.4, -0.9},
                  {-2.4, 1.35, -1.4, 1.85}, {1.95, 1.25, 2.45, 1.75} },
        player = {1.0, -0.6}, cat = {0.6, 0.0, 0.5},
        props = {
            { name = "Pet Bed", file = "generated/props/cat_bed.glb", at = {1.1, 0, 0.6}, spot = {1.1, 0.6} },
        },
    },
}

local function Point3(p) return {p[1], p[2], -p[3]} end
local function Point2(p) return {p[1], -p[2]} end
local function Rect(r) return {r[1], -r[4], r[3], -r[2]} end

local function ToEngine(room)
    local out = { model = room.model, eye = Point3(room.eye), target = Point3(room.target),
                  light = Point3(room.light), walk = Rect(room.walk), view = Rect(room.view),
                  player = Point2(room.player), cat = Point3(room.cat), boxes = {}, props = {} }
    for i, box in ipairs(room.boxes) do out.boxes[i] = Rect(box) end
    if room.bowls then out.bowls = { food = Point2(room.bowls.food), water = Point2(room.bowls.water) } end
    for i, prop in ipairs(room.props) do
        out.props[i] = { name = prop.name, file = prop.file, at = Point3(prop.at), spot = prop.spot and Point2(prop.spot) }
    end
    return out
end

HOUSE_ROOMS = {}
for n, room in ipairs(ROOMS) do HOUSE_ROOMS[n] = ToEngine(room) end

-- The fence the toys bounce off: the part of the floor the camera shows.
-- The whole floor would let a ball roll behind the cabinet at the back
-- wall or under the camera, where the player can neither see it nor pick
-- it up.  Nothing leaves (the exit lies past the far side); the notch sits
-- on the corner, where the fence already stops a toy.
function HouseFence(layout)
    local floor = layout.view or layout.walk
    return { min_x = floor[1], min_z = floor[2], max_x = floor[3], max_z = floor[4],
             notch_x = floor[1], notch_z = floor[2], exit_z = floor[4] + 1.0 }
end
