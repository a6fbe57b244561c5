-- The pet's mind.  Needs drift with time and with care; every so often the
-- cat weighs its needs against its temperament (with a little chance) and
-- picks something to do, which it keeps for a while; the room's callbacks
-- interrupt that with reactions to the player.  Everything here is driven
-- by the house's tick (PetAI.tThinkFunc.Tick with the house clock in ms).
--
-- Needs run 0..100: hunger grows as the cat gets hungry, the others (energy,
-- fun, affection, cleanliness) are how well off it is.

PetAI = PetAI or {}

PetAI.PET_STATES = {
    IDLE = 1, WANDER = 2, SIT = 3, LIE = 4, SLEEP = 5, GROOM = 6, EAT = 7, DRINK = 8,
    PLAY = 9, COME = 10, STRETCH = 11, YAWN = 12, REACT = 13, CHASE = 14, EAT_TREAT = 15,
    ATTENTION_MODE = 20, BATHTUB_MODE = 21, BRUSHING_MODE = 22, TALENT_SHOW = 23,
}
local S = PetAI.PET_STATES
PetAI.CUR_STATE = PetAI.CUR_STATE or S.IDLE

PetAI.tThinkFunc = {}
local Think = PetAI.tThinkFunc

local SOUNDS = "generated/Sounds/"
local function Sound(name)
    if PlaySound then PlaySound(SOUNDS .. name) end
end

local function Now() return PetAI.now or 0 end
local function Seconds(ms) return ms / 1000 end
local function Temperament(key) return (gPetBreedInfo and gPetBreedInfo.temperament[key]) or 0.5 end
local function Like(key)
    local likes = gPetBreedInfo and gPetBreedInfo.likes or {}
    return likes[key] or 0
end
local function ToyLike(name)
    local toys = gPetBreedInfo and gPetBreedInfo.likes.toys or {}
    return toys[name] or 0.5
end
local function Clamp(v, lo, hi) return math.max(lo, math.min(hi, v)) end

-- The layout of the room the house shows (set by the house); a plain room
-- when there is none.
local DEFAULT_ROOM = {
    walk = {-2.0, -2.0, 2.0, 2.0}, view = {-2.0, -2.0, 2.0, 1.0}, boxes = {},
    player = {0.0, 0.8}, bowls = nil,
}
local function Layout() return gHouseRoom or DEFAULT_ROOM end

local function Change(need, amount)
    if not gPet then return end
    gPet.needs[need] = Clamp((gPet.needs[need] or 0) + amount, 0, 100)
end
PetAI.ChangeNeed = Change

-- ------------------------------------------------------------- the body

local function PlayClip(name, loops)
    if not pet then return end
    pet:BlendOutAll(0.3, -1)
    pet:BlendIn(name, 0.3, loops or 0, 0)
    PetAI.clip = name
end

local function StopMoving()
    if pet and FlushChannel then FlushChannel(pet:GetChannel()) end
    PetAI.walk = nil
end

local function PetXZ()
    local x, _, z = pet:GetPosition()
    return x, z
end

local function Distance(ax, az, bx, bz)
    local dx, dz = ax - bx, az - bz
    return math.sqrt(dx * dx + dz * dz)
end

-- ------------------------------------------------------------- paths
-- The cat goes round the furniture: a walk whose straight line would cross
-- a footprint passes by the footprints' corners instead, the shortest way
-- found over the corners each can see.

local PATH_MARGIN = 0.3       -- how far from a footprint's edge the cat walks
local PATH_SLACK = 0.05       -- a line grazing a corner it walks round is clear

-- Whether the segment a-b crosses the box (min x, min z, max x, max z)
-- grown by `margin`: a slab clip of the segment's parameter.
local function SegmentHitsBox(ax, az, bx, bz, box, margin)
    local t0, t1 = 0, 1
    local d = { bx - ax, bz - az }
    local a = { ax, az }
    for axis = 1, 2 do
        local lo, hi = box[axis] - margin, box[axis + 2] + margin
        if math.abs(d[axis]) < 1e-9 then
            if a[axis] <= lo or a[axis] >= hi then return false end
        else
            local u, v = (lo - a[axis]) / d[axis], (hi - a[axis]) / d[axis]
            if u > v then u, v = v, u end
            if u > t0 then t0 = u end
            if v < t1 then t1 = v end
            if t0 >= t1 then return false end
        end
    end
    return true
end

local function Inside(x, z, box, margin)
    return x > box[1] - margin and x < box[3] + margin and z > box[2] - margin and z < box[4] + margin
end

-- How far outside a box a point lies, along the farther axis (0 inside).
local function Outside(x, z, box)
    return math.max(box[1] - x, x - box[3], box[2] - z, z - box[4], 0)
end

-- The boxes a walk keeps out of, each with the margin it keeps: less by a
-- box the cat stands or ends beside (pushed against the sofa, or going to
-- the bed), and none by a box it is inside of, which it could never leave.
local function Obstacles(sx, sz, gx, gz)
    local out = {}
    for _, box in ipairs(Layout().boxes or {}) do
        local margin = math.min(PATH_MARGIN - PATH_SLACK, Outside(sx, sz, box) - 0.01, Outside(gx, gz, box) - 0.01)
        if margin > 0 then out[#out + 1] = { box = box, margin = margin } end
    end
    return out
end

local function Clear(ax, az, bx, bz, boxes)
    for _, o in ipairs(boxes) do
        if SegmentHitsBox(ax, az, bx, bz, o.box, o.margin) then return false end
    end
    return true
end

-- The corners to walk by from (sx, sz) to (gx, gz), ending with the goal;
-- just the goal when the way is clear or no way round is found.
function PetAI.PathTo(sx, sz, gx, gz)
    local boxes = Obstacles(sx, sz, gx, gz)
    if Clear(sx, sz, gx, gz, boxes) then return { { gx, gz } } end
    local walk = Layout().walk
    local nodes = { { sx, sz }, { gx, gz } }
    for _, o in ipairs(boxes) do
        local box = o.box
        for _, corner in ipairs({ { box[1], box[2] }, { box[3], box[2] }, { box[1], box[4] }, { box[3], box[4] } }) do
            local x = corner[1] + (corner[1] == box[1] and -PATH_MARGIN or PATH_MARGIN)
            local z = corner[2] + (corner[2] == box[2] and -PATH_MARGIN or PATH_MARGIN)
            local free = x >= walk[1] and x <= walk[3] and z >= walk[2] and z <= walk[4]
            for _, other in ipairs(boxes) do
                if free and Inside(x, z, other.box, other.margin) then free = false end
            end
            if free then nodes[#nodes + 1] = { x, z } end
        end
    end
    -- Dijkstra over a few dozen corners: plain loops are enough.
    local cost, from, done = { [1] = 0 }, {}, {}
    while true do
        local best
        for i = 1, #nodes do
            if not done[i] and cost[i] and (not best or cost[i] < cost[best]) then best = i end
        end
        if not best or best == 2 then break end
        done[best] = true
        local a = nodes[best]
        for i = 1, #nodes do
            if not done[i] and Clear(a[1], a[2], nodes[i][1], nodes[i][2], boxes) then
                local c = cost[best] + Distance(a[1], a[2], nodes[i][1], nodes[i][2])
                if not cost[i] or c < cost[i] then cost[i], from[i] = c, best end
            end
        end
    end
    if not cost[2] then return { { gx, gz } } end
    local path, at = {}, 2
    while at ~= 1 do
        table.insert(path, 1, nodes[at])
        at = from[at]
    end
    return path
end

-- The point nearest (x, z) on the walkable floor that keeps the walking
-- margin from every footprint: a goal under the coffee table becomes the
-- spot beside it, on the side the camera shows where there is one.
function PetAI.ClearOfFurniture(x, z)
    local walk = Layout().walk
    for _ = 1, 4 do
        local moved = false
        for _, box in ipairs(Layout().boxes or {}) do
            if Inside(x, z, box, PATH_MARGIN - PATH_SLACK) then
                local best, bestCost
                for _, p in ipairs({ { box[1] - PATH_MARGIN, z }, { box[3] + PATH_MARGIN, z },
                                     { x, box[2] - PATH_MARGIN }, { x, box[4] + PATH_MARGIN } }) do
                    if p[1] >= walk[1] and p[1] <= walk[3] and p[2] >= walk[2] and p[2] <= walk[4] then
                        -- out of sight costs as much as a long way round
                        local cost = Distance(x, z, p[1], p[2]) + (PetAI.InSight(p[1], p[2]) and 0 or 10)
                        if not bestCost or cost < bestCost then best, bestCost = p, cost end
                    end
                end
                if best then x, z, moved = best[1], best[2], true end
            end
        end
        if not moved then break end
    end
    return x, z
end

-- Walks to (x, z) on the floor with the host's walk event, round the
-- furniture; `onArrive` runs once the cat is there, or once the walk has
-- had its time.
local function WalkTo(x, z, gait, endClip, onArrive)
    local ai = globals.AI
    local speed = ({ Walk = ai.WALK_SPEED, Trot = ai.TROT_SPEED, Run = ai.RUN_SPEED })[gait] or ai.WALK_SPEED
    x, z = PetAI.ClearOfFurniture(x, z)
    local px, pz = PetXZ()
    local d = Distance(px, pz, x, z)
    if d < ai.CLOSE_ENOUGH then
        if onArrive then onArrive() end
        return
    end
    StopMoving()
    local path, length, lx, lz = PetAI.PathTo(px, pz, x, z), 0, px, pz
    local points = {}
    for i, p in ipairs(path) do
        -- A corner given twice holds the walk's curve close to it, so the
        -- cat does not cut across the furniture it goes round.
        local point = string.format("%.3f,%.3f,%.3f", p[1], 0.0, p[2])
        points[#points + 1] = point
        if i < #path then points[#points + 1] = point end
        length = length + Distance(lx, lz, p[1], p[2])
        lx, lz = p[1], p[2]
    end
    if DoEvent then
        DoEvent(string.format("%s.WalkToPosition(%s,%s,%d,%.3f,%s)", PET_EVENT_NAME, gait,
                              endClip, ai.WALK_SAMPLES, speed, table.concat(points, ",")), pet:GetChannel())
    end
    -- the turn first, then the path: give it a generous time
    PetAI.walk = { x = x, z = z, onArrive = onArrive, giveUp = Now() + (length / speed + 3.0) * 1000 }
    PetAI.clip = gait
end

-- Turns the cat at once toward (x, z): the pet's own turn where there is
-- one, else a turn about y checked against the forward it gives.
function PetAI.FaceTowards(x, z)
    if not pet then return end
    if pet.FacePoint then pet:FacePoint(x, 0, z) return end
    if not pet.GetForwardVector or not pet.RotateXZ then return end
    local px, pz = PetXZ()
    local dx, dz = x - px, z - pz
    local fx, _, fz = pet:GetForwardVector()
    if dx * dx + dz * dz < 1e-8 or fx * fx + fz * fz < 1e-8 then return end
    local angle = math.atan2(fx * dz - fz * dx, fx * dx + fz * dz)
    pet:RotateXZ(angle)
    local gx, _, gz = pet:GetForwardVector()
    if gx * dx + gz * dz < fx * dx + fz * dz then pet:RotateXZ(-2 * angle) end
end

PetAI.PlayClip = PlayClip
PetAI.WalkTo = WalkTo

local function WalkDone()
    local walk = PetAI.walk
    if not walk then return true end
    local px, pz = PetXZ()
    local arrived = Distance(px, pz, walk.x, walk.z) < globals.AI.CLOSE_ENOUGH
    local idle = IsChannelEmpty and pet and IsChannelEmpty(pet:GetChannel())
    if arrived or idle or Now() >= walk.giveUp then
        PetAI.walk = nil
        if walk.onArrive then walk.onArrive() end
        return true
    end
    return false
end

local function InBox(x, z, margin)
    for _, box in ipairs(Layout().boxes) do
        if Inside(x, z, box, margin) then return true end
    end
    return false
end

-- Where the cat is seen whole on the screen (pixels of the 800x600 room):
-- inside the sides, under the top bars and above the buttons' row.
local SIGHT_LEFT, SIGHT_RIGHT, SIGHT_TOP, SIGHT_BOTTOM = 60, 740, 110, 500
local CAT_HEIGHT = 0.35

-- Whether the cat standing at (x, z) would be in the picture; always so
-- where no camera answers (the scripts' own tests).
function PetAI.InSight(x, z)
    if not GetScreenPosition then return true end
    local fx, fy = GetScreenPosition(x, 0, z)
    local hx, hy = GetScreenPosition(x, CAT_HEIGHT, z)
    return fx >= SIGHT_LEFT and fx <= SIGHT_RIGHT and fy <= SIGHT_BOTTOM and fy >= SIGHT_TOP
       and hx >= SIGHT_LEFT and hx <= SIGHT_RIGHT and hy >= SIGHT_TOP
end

-- (x, z), or the point nearest it on the way to the spot the camera looks
-- at that is in the picture: the cat coming to the player stops where the
-- player sees it, not under the camera.
function PetAI.IntoSight(x, z)
    if PetAI.InSight(x, z) or not GetCameraTarget then return x, z end
    local tx, _, tz = GetCameraTarget()
    if not PetAI.InSight(tx, tz) then return x, z end
    local lo, hi = 0, 1
    for _ = 1, 20 do
        local mid = (lo + hi) / 2
        if PetAI.InSight(tx + (x - tx) * mid, tz + (z - tz) * mid) then lo = mid else hi = mid end
    end
    return tx + (x - tx) * lo, tz + (z - tz) * lo
end

-- A spot on the walkable floor, in the picture and clear of the
-- furniture; nil when none was found.
function PetAI.RandomSpot()
    local walk, view = Layout().walk, Layout().view or Layout().walk
    local x0, z0 = math.max(walk[1], view[1]), math.max(walk[2], view[2])
    local x1, z1 = math.min(walk[3], view[3]), math.min(walk[4], view[4])
    for _ = 1, 24 do
        local x = x0 + math.random() * (x1 - x0)
        local z = z0 + math.random() * (z1 - z0)
        if not InBox(x, z, 0.25) and PetAI.InSight(x, z) then return x, z end
    end
    return nil
end

-- Keeps a point inside the walkable floor.
function PetAI.KeepOnFloor(x, z)
    local walk = Layout().walk
    return Clamp(x, walk[1], walk[3]), Clamp(z, walk[2], walk[4])
end

-- ------------------------------------------------------------- activities
-- Each: the clip it plays, its score from needs and temperament (nil when
-- it cannot be done here), and what starting it does.

local function NearPlayer()
    local player = Layout().player
    local px, pz = PetXZ()
    return Distance(px, pz, player[1], player[2]) <= globals.AI.ATTENTION_RADIUS
end

local function ToyOnFloor()
    if not toy or not toy.GetState then return false end
    if toy:GetName() == "Treat" then return false end
    return toy:GetState() == 3 and toy:IsVisible() ~= 0
end

local ACTIVITIES = {}

ACTIVITIES.IDLE = {
    state = S.IDLE, clip = "Idle",
    score = function() return 15 end,
}
ACTIVITIES.SIT = {
    state = S.SIT, clip = "SitIdle",
    score = function(n) return 18 + 20 * (1 - Temperament("activity")) + 0.15 * (100 - n.energy) end,
    start = function() PlayClip("SitDown", 1); PetAI.next = "SitIdle" end,
}
ACTIVITIES.LIE = {
    state = S.LIE, clip = "LieIdle",
    score = function(n) return 8 + 0.45 * (100 - n.energy) end,
    start = function() PlayClip("LieDown", 1); PetAI.next = "LieIdle" end,
}
ACTIVITIES.SLEEP = {
    state = S.SLEEP, clip = "Sleep",
    score = function(n)
        local tired = 100 - n.energy
        return tired > 45 and tired * 1.3 or tired * 0.2
    end,
    start = function() PlayClip("LieDown", 1); PetAI.next = "Sleep" end,
    holdWhile = function(n) return n.energy < 95 end,
}
ACTIVITIES.WANDER = {
    state = S.WANDER, clip = "Walk",
    score = function(n) return 12 + 25 * Temperament("activity") + 0.1 * n.energy end,
    start = function()
        local x, z = PetAI.RandomSpot()
        if x then WalkTo(x, z, "Walk", "Idle") else PlayClip("LookAround", 1) end
    end,
}
ACTIVITIES.GROOM = {
    state = S.GROOM, clip = "Groom",
    score = function(n) return 5 + (100 - n.cleanliness) * 0.6 * (0.5 + Temperament("tidiness")) end,
    during = function(dt) Change("cleanliness", globals.NEEDS.groom_cleanliness_per_second * dt) end,
}
ACTIVITIES.EAT = {
    state = S.EAT, clip = "Eat",
    score = function(n)
        if not Layout().bowls then return nil end
        return n.hunger > 35 and n.hunger * (0.9 + 0.6 * Temperament("appetite")) or 0
    end,
    start = function()
        local bowl = Layout().bowls.food
        WalkTo(bowl[1], bowl[2], "Walk", "Eat", function()
            PlayClip("Eat", 0)
            Sound("eat_crunch.wav")
            PetAI.eating = "meal"
        end)
    end,
    during = function(dt)
        if PetAI.eating == "meal" then Change("hunger", -globals.NEEDS.meal_hunger_per_second * dt) end
    end,
    holdWhile = function(n) return PetAI.eating ~= "meal" or n.hunger > 2 end,
}
ACTIVITIES.DRINK = {
    state = S.DRINK, clip = "Drink",
    score = function(n)
        if not Layout().bowls then return nil end
        return 4 + n.hunger * 0.35
    end,
    start = function()
        local bowl = Layout().bowls.water
        WalkTo(bowl[1], bowl[2], "Walk", "Drink", function()
            PlayClip("Drink", 0)
            Sound("lap_water.wav")
            PetAI.eating = "drink"
        end)
    end,
    during = function(dt)
        if PetAI.eating == "drink" then Change("hunger", -globals.NEEDS.drink_hunger_per_second * dt) end
    end,
}
ACTIVITIES.PLAY = {
    state = S.PLAY, clip = "Pounce",
    score = function(n)
        if not ToyOnFloor() then return nil end
        return (100 - n.fun) * (0.4 + Temperament("activity")) * (0.6 + 0.4 * ToyLike(toy:GetName()))
    end,
    start = function() PetAI.StartChase(false) end,
}
ACTIVITIES.COME = {
    state = S.COME, clip = "SitIdle",
    score = function(n)
        if NearPlayer() then return 0 end
        return (100 - n.affection) * (0.3 + Temperament("sociability"))
    end,
    start = function()
        local x, z = PetAI.IntoSight(Layout().player[1], Layout().player[2])
        WalkTo(x, z, "Trot", "SitIdle", function()
            PlayClip("SitIdle", 0)
            Sound("meow_asking.wav")
        end)
    end,
}
ACTIVITIES.STRETCH = {
    state = S.STRETCH, clip = "Stretch",
    score = function(n) return PetAI.justWoke and 60 or 3 end,
    start = function() PlayClip("Stretch", 1); PetAI.justWoke = false end,
}
ACTIVITIES.YAWN = {
    state = S.YAWN, clip = "Yawn",
    score = function(n) return 2 + 0.1 * (100 - n.energy) end,
    start = function() PlayClip("Yawn", 1) end,
}
PetAI.ACTIVITIES = ACTIVITIES

-- Weighs every activity; the highest score with chance added wins.
function PetAI.Choose()
    local needs = gPet.needs
    local best, bestScore = "IDLE", -1
    local chance = globals.AI.RANDOM_WEIGHT
    for name, activity in pairs(ACTIVITIES) do
        local score = activity.score(needs)
        if score and name ~= PetAI.activity then
            score = score + math.random() * chance
            if score > bestScore then best, bestScore = name, score end
        end
    end
    return best
end

function PetAI.StartActivity(name)
    local activity = ACTIVITIES[name]
    local hold = globals.AI.HOLD[name] or {3, 6}
    PetAI.activity = name
    PetAI.eating = nil
    PetAI.next = nil
    PetAI.activityStarted = Now()
    PetAI.activityUntil = Now() + (hold[1] + math.random() * (hold[2] - hold[1])) * 1000
    StopMoving()
    if activity.start then activity.start() else PlayClip(activity.clip, 0) end
end

-- ------------------------------------------------------------- reactions

-- A reaction takes over from the activity for a moment; afterwards the cat
-- chooses again.
function PetAI.React(clip, seconds, sound, loops)
    StopMoving()
    PlayClip(clip, loops or 1)
    if sound then Sound(sound) end
    PetAI.activity = "REACT"
    PetAI.eating = nil
    PetAI.next = nil
    PetAI.reactUntil = Now() + seconds * 1000
    PetAI.activityUntil = PetAI.reactUntil
end

local function Asleep() return PetAI.activity == "SLEEP" end

function PetAI.WakeUp()
    if not Asleep() then return end
    PetAI.justWoke = true
    PetAI.React("WakeUp", 1.5, "meow_happy.wav")
end

-- The camera's view flattened onto the floor: forward (away from the
-- camera) and right, as unit vectors.  The engine's frame is left-handed
-- (its view puts up x forward on the screen's right), so right is
-- (fz, -fx), not the (-fz, fx) of a right-handed frame.
local function CameraAxes()
    local ex, ey, ez = 0, 1.5, 2
    local tx, ty, tz = 0, 0, 0
    if GetCameraPosition then ex, ey, ez = GetCameraPosition() end
    if GetCameraTarget then tx, ty, tz = GetCameraTarget() end
    local fx, fz = tx - ex, tz - ez
    local l = math.sqrt(fx * fx + fz * fz)
    if l < 1e-6 then fx, fz, l = 0, -1, 1 end
    fx, fz = fx / l, fz / l
    return fx, fz, fz, -fx
end

-- A push on the screen (0 up, 1 right, 2 down, 3 left) as a direction on
-- the floor: up is away from the camera.
function PetAI.PushDirection(direction)
    local fx, fz, rx, rz = CameraAxes()
    if direction == 0 then return fx, fz
    elseif direction == 1 then return rx, rz
    elseif direction == 2 then return -fx, -fz
    else return -rx, -rz end
end

-- The stumble clip for a push along (dx, dz) given the cat's facing: the
-- clip names the way the body goes.
function PetAI.StumbleClip(dx, dz)
    local fx, _, fz = pet:GetForwardVector()
    local l = math.sqrt(fx * fx + fz * fz)
    if l < 1e-6 then fx, fz, l = 0, -1, 1 end
    fx, fz = fx / l, fz / l
    local rx, rz = fz, -fx                       -- the cat's right, as for the camera
    local ahead, side = dx * fx + dz * fz, dx * rx + dz * rz
    if math.abs(ahead) >= math.abs(side) then
        return ahead >= 0 and "StumbleFront" or "StumbleBack"
    end
    return side >= 0 and "StumbleRight" or "StumbleLeft"
end

-- Bends the head (or neck) toward the hand that strokes it.
local function LeanIn(part)
    Room.tTweakBone = {
        on = 1, name = (part == "Chin") and "neck" or "head",
        axis = { x = 1, y = 0, z = 0 }, angle = (part == "Chin") and -18 or 14,
        qav_factor = 1.0, qav_factor_min = 0.5, qav_factor_max = 2.0,
    }
end
local function StopLeaning()
    if Room.tTweakBone then Room.tTweakBone.on = 0 end
end

-- What a stroke on this part means to this cat, by the tool in hand.
local function StrokeLike(part)
    if PetAI.mode == "BRUSHING" then return Like("brushing"), "brush" end
    if PetAI.mode == "BATHTUB" then return Like("bathing"), "bath" end
    if PetAI.mode == "SHOWER" then return Like("bathing"), "shower" end
    return Like(part), "hand"
end

function PetAI.OnStartPetting(part, changed)
    if Asleep() then PetAI.WakeUp() return end
    local like, tool = StrokeLike(part)
    local annoyDelay = globals.AI.PET_ANNOY_DELAY * (0.5 + Temperament("patience") * 2) * (1 + 0.5 * like)
    PetAI.petting = { part = part, like = like, tool = tool, started = Now(),
                      annoyAt = (like <= 0) and Now() + annoyDelay * 1000 or nil }
    if tool == "brush" then Sound("brush_stroke.wav")
    elseif tool == "bath" or tool == "shower" then Sound("water_splash.wav") end
    if like > 0 then
        if not changed or PetAI.clip ~= "Purr" then PetAI.React("Purr", 3600, nil, 0) end
        Sound("purr_loop.wav")
        if tool == "hand" and (part == "Head" or part == "Chin") then LeanIn(part) else StopLeaning() end
    elseif not changed then
        -- puts up with it for a while: still, ears back
        PetAI.React("SitIdle", 3600, nil, 0)
    end
end

function PetAI.OnEndPetting(part, ms, changed)
    local petting = PetAI.petting
    PetAI.petting = nil
    StopLeaning()
    local rates = globals.NEEDS
    if petting and petting.tool == "brush" and petting.like > 0 then
        Change("cleanliness", rates.brush_per_stroke * petting.like)
    elseif petting and petting.tool == "bath" then
        -- clean, if not happy about it; the lather waits for the shower
        Change("cleanliness", rates.bath_per_stroke)
        PetAI.lather = math.min((PetAI.lather or 0) + 1, rates.lather_max)
    elseif petting and petting.tool == "shower" then
        Change("cleanliness", rates.shower_per_stroke + rates.rinse_per_lather * (PetAI.lather or 0))
        PetAI.lather = 0
    end
    if not changed and PetAI.activity == "REACT" and PetAI.reactUntil and PetAI.reactUntil > Now() + 2000 then
        -- the stroke was the reaction: let it settle, then choose again
        PetAI.reactUntil = Now() + 1000
        PetAI.activityUntil = PetAI.reactUntil
        if petting and petting.like > 0 then PlayClip("SitIdle", 0) end
    end
end

-- The spray bottle: a squirt of water.  The cat jumps, complains and runs
-- off to a spot away from the player; it likes the player less for it.
function PetAI.Sprayed()
    local hiss = Like("bathing") < 0
    PetAI.React("Startle", globals.AI.STARTLE_TIME, "water_splash.wav")
    Sound(hiss and "hiss.wav" or "meow_annoyed.wav")
    Change("affection", globals.NEEDS.spray_affection)
    PetAI.fleeAt = Now() + globals.AI.STARTLE_TIME * 1000
end

local function RunOff()
    PetAI.fleeAt = nil
    local player = Layout().player
    local x, z = PetXZ()           -- where it stands, when no spot away is found
    local farthest
    for _ = 1, 6 do
        local sx, sz = PetAI.RandomSpot()
        local d = sx and Distance(sx, sz, player[1], player[2])
        if d and (not farthest or d > farthest) then x, z, farthest = sx, sz, d end
    end
    PetAI.GoAndDo("FLEE", x, z, "SitIdle", "Run")
end

-- With the bottle in hand the squirt comes with the click on the cat
-- (Room.OnClickedObject): a poke needs the press and the release on one
-- body part, and a squirt should not miss for a pose that shifted a little.
function PetAI.OnPokePet(part)
    if PetAI.mode == "SPRAY" then return end
    if Asleep() then PetAI.WakeUp() return end
    PetAI.React("Startle", globals.AI.STARTLE_TIME, "kitten_mew.wav")
    Change("affection", globals.NEEDS.poke_affection)
    -- looks at the pointer
    local x, y, z
    if MouseToToy then x, y, z = MouseToToy() end
    if not x and GetCameraPosition then x, y, z = GetCameraPosition() end
    if x and DoEvent then
        DoEvent(string.format("%s.FacePosition(%.3f,%.3f,%.3f,%.3f)", PET_EVENT_NAME, 4.0, x, y, z), pet:GetChannel())
    end
end

function PetAI.OnPushPet(part, direction)
    if PetAI.mode == "SPRAY" then return end
    if Asleep() then PetAI.WakeUp() return end
    local dx, dz = PetAI.PushDirection(direction)
    local clip = PetAI.StumbleClip(dx, dz)
    PetAI.React(clip, globals.AI.STUMBLE_TIME, "meow_annoyed.wav")
    PetAI.slide = { dx = dx * globals.AI.PUSH_SLIDE, dz = dz * globals.AI.PUSH_SLIDE,
                    left = globals.AI.STUMBLE_TIME }
    Change("affection", globals.NEEDS.push_affection)
    return clip
end

-- Takes up an activity at a spot: walks there (at the gait given, else a
-- walk), then plays its clip.
function PetAI.GoAndDo(name, x, z, clip, gait)
    if Asleep() then PetAI.WakeUp() return end
    local hold = globals.AI.HOLD[name] or {3, 6}
    PetAI.activity = name
    PetAI.next, PetAI.eating = nil, nil
    PetAI.activityStarted = Now()
    PetAI.activityUntil = Now() + hold[2] * 1000
    WalkTo(x, z, gait or "Walk", clip, function() PlayClip(clip, 0) end)
end

-- A treat eaten from the hand.
function PetAI.EatTreat()
    if Asleep() then PetAI.WakeUp() end
    PetAI.React("Eat", 2.0, "eat_crunch.wav", 1)
    Change("hunger", -globals.NEEDS.treat_hunger)
    Change("affection", globals.NEEDS.treat_affection)
end

-- A treat left on the floor at (x, z): the cat goes and eats it.
function PetAI.GoToTreat(x, z, onEaten)
    if Asleep() then PetAI.WakeUp() return end
    PetAI.activity = "EAT_TREAT"
    PetAI.activityUntil = Now() + 60000
    WalkTo(x, z, "Trot", "Eat", function()
        PetAI.EatTreat()
        if onEaten then onEaten() end
    end)
end

-- The ball: run to where it rests, pounce, bat it on.
function PetAI.StartChase(watchFirst)
    if not toy then return end
    PetAI.activity = "CHASE"
    PetAI.activityUntil = Now() + 30000
    PetAI.chase = { watching = watchFirst, bats = PetAI.chase and PetAI.chase.bats or 0 }
    if not watchFirst then
        local x, _, z = toy:GetPosition()
        x, z = PetAI.KeepOnFloor(x, z)
        WalkTo(x, z, "Run", "Pounce", PetAI.Pounce)
    else
        PlayClip("Idle", 0)
    end
end

function PetAI.Pounce()
    PetAI.React("Pounce", 1.2, "squeak_toy.wav")
    PetAI.batAt = Now() + 1000
    Change("fun", globals.NEEDS.chase_fun)
end

local function BatTheBall()
    PetAI.batAt = nil
    if not toy or not toy.ThrowNoSpin then return end
    local fx, _, fz = pet:GetForwardVector()
    PlayClip("Bat", 1)
    Sound("ball_bounce.wav")
    toy:ThrowNoSpin(fx * 1.2, 1.0, fz * 1.2)
    PetAI.battedBall = true
    PetAI.chase = { watching = true, bats = (PetAI.chase and PetAI.chase.bats or 0) + 1 }
    PetAI.activity = "CHASE"
    PetAI.activityUntil = Now() + 15000
end

-- ------------------------------------------------------------- modes

function PetAI.SetMode(mode)
    PetAI.mode = mode
    Think.UpdateState()
end

-- The state the rooms see: the care modes and the talent show first, then
-- "attention" while the cat is awake and near the player, else what it
-- is doing.
function Think.UpdateState()
    if PetAI.mode == "TALENT" then PetAI.CUR_STATE = S.TALENT_SHOW
    elseif Asleep() then PetAI.CUR_STATE = S.SLEEP
    elseif PetAI.mode == "BATHTUB" or PetAI.mode == "SHOWER" then PetAI.CUR_STATE = S.BATHTUB_MODE
    elseif PetAI.mode == "BRUSHING" then PetAI.CUR_STATE = S.BRUSHING_MODE
    elseif PetAI.mode == "SPRAY" or (pet and NearPlayer()) then PetAI.CUR_STATE = S.ATTENTION_MODE
    else
        local activity = ACTIVITIES[PetAI.activity or "IDLE"]
        PetAI.CUR_STATE = activity and activity.state or S[PetAI.activity] or S.IDLE
    end
    Room.m_bAttentionMode = (PetAI.CUR_STATE == S.ATTENTION_MODE)
    return PetAI.CUR_STATE
end

function Think.ChangeState(state)
    if state == S.TALENT_SHOW then PetAI.SetMode("TALENT")
    elseif state == S.BATHTUB_MODE then PetAI.SetMode("BATHTUB")
    elseif state == S.BRUSHING_MODE then PetAI.SetMode("BRUSHING")
    else PetAI.SetMode(nil) end
end

-- ------------------------------------------------------------- the clock

local function UpdateNeeds(dt)
    local rates = globals.NEEDS
    Change("hunger", rates.hunger_rate * dt)
    if Asleep() then Change("energy", rates.energy_sleep_rate * dt)
    else Change("energy", -rates.energy_awake_rate * dt) end
    Change("fun", -rates.fun_rate * dt)
    Change("affection", -rates.affection_rate * dt)
    Change("cleanliness", -rates.cleanliness_rate * dt)
    local petting = PetAI.petting
    if petting and petting.tool == "hand" and petting.like > 0 then
        Change("affection", rates.petting_affection_per_second * petting.like * dt)
    end
    if PetAI.activity == "CHASE" then Change("fun", rates.play_fun_per_second * dt) end
end

function Think.Tick(ms)
    if not pet or not gPet then return end
    local last = PetAI.now or ms
    PetAI.now = ms
    if ms < last then
        -- a new clock (another visit to the house): what was timed on the
        -- old one is due now
        PetAI.activityUntil, PetAI.reactUntil, PetAI.activityStarted = ms, nil, ms
        if PetAI.walk then PetAI.walk.giveUp = ms end
        if PetAI.batAt then PetAI.batAt = ms end
        last = ms
    end
    local dt = Clamp(Seconds(ms - last), 0, 1)
    UpdateNeeds(dt)

    -- a disliked touch borne long enough
    local petting = PetAI.petting
    if petting and petting.annoyAt and ms >= petting.annoyAt then
        petting.annoyAt = nil
        local hiss = petting.like < -0.5
        PetAI.React(hiss and "Hiss" or "Meow", hiss and 1.33 or 1.0, hiss and "hiss.wav" or "meow_annoyed.wav")
        Change("affection", globals.NEEDS.annoyed_affection)
    end

    -- a push slides the cat over the floor while it stumbles
    local slide = PetAI.slide
    if slide then
        local step = math.min(dt, slide.left)
        local fraction = step / globals.AI.STUMBLE_TIME
        local x, y, z = pet:GetPosition()
        x, z = PetAI.KeepOnFloor(x + slide.dx * fraction, z + slide.dz * fraction)
        pet:SetPosition(x, y, z)
        slide.left = slide.left - step
        if slide.left <= 0 then PetAI.slide = nil end
    end

    -- a ball the cat batted is the script's to move
    if PetAI.battedBall and toy and toy.Update then
        if toy:GetState() == 1 then toy:Update(QorGetTickCount and QorGetTickCount() or ms)
        else PetAI.battedBall = false end
    end

    -- a thrown ball catches the eye; once it rests, the chase is on
    if toy and toy.GetState and toy:GetName() ~= "Treat" and not Asleep() and not PetAI.petting then
        local state = toy:GetState()
        if state == 1 and PetAI.activity ~= "CHASE" and PetAI.activity ~= "REACT" then
            PetAI.chase = { watching = true, bats = 0 }
            PetAI.StartChase(true)
        elseif state == 3 and PetAI.activity == "CHASE" and PetAI.chase and PetAI.chase.watching and not PetAI.batAt then
            if PetAI.chase.bats < 2 then
                PetAI.StartChase(false)
            else
                PetAI.chase = nil
                PetAI.activityUntil = ms
            end
        end
    end
    if PetAI.batAt and ms >= PetAI.batAt then BatTheBall() end
    if PetAI.fleeAt and ms >= PetAI.fleeAt then RunOff() end

    if PetAI.walk then WalkDone() end
    if PetAI.next and not PetAI.walk and ms - (PetAI.activityStarted or ms) > 1200 then
        PlayClip(PetAI.next, 0)
        PetAI.next = nil
    end
    local activity = ACTIVITIES[PetAI.activity or ""]
    if activity and activity.during then activity.during(dt) end

    -- choose again once the choice has had its time (and is done)
    local holding = activity and activity.holdWhile and activity.holdWhile(gPet.needs)
    local due = ms >= (PetAI.activityUntil or 0)
    if due and not PetAI.walk and not PetAI.petting and not PetAI.batAt and not PetAI.fleeAt then
        if not holding or ms >= (PetAI.activityUntil or 0) + 60000 then
            PetAI.StartActivity(PetAI.Choose())
        end
    end
    Think.UpdateState()
end

-- A fresh mind for a pet just made or loaded.
function Think.Reset()
    PetAI.activity = nil
    PetAI.activityUntil = 0
    PetAI.walk, PetAI.petting, PetAI.slide, PetAI.chase, PetAI.batAt = nil, nil, nil, nil, nil
    PetAI.fleeAt, PetAI.lather = nil, 0
    PetAI.mode, PetAI.next, PetAI.eating, PetAI.battedBall = nil, nil, nil, false
    PetAI.CUR_STATE = S.IDLE
end

function Think.Forget()
    Think.Reset()
    if Room and Room.tTweakBone then Room.tTweakBone.on = 0 end
end

-- The house starts: the cat sits where it is, greets, and starts thinking.
function Think.StartUp()
    if not pet or not gPet then return end
    if PetAI.activity == nil then
        PetAI.StartActivity("SIT")
        Sound("meow_happy.wav")
    end
    Think.UpdateState()
end

-- Later features ask for these; harmless until they exist.
PetAI.tCurTrickOfTheDay = PetAI.tCurTrickOfTheDay or { ProcessUpdate = function() end }
PetAI.TalentShow = PetAI.TalentShow or { GetHighestTalentShowLevel = function() return 0 end }

-- The needs as one line of text for the player, and what the cat is about.
function PetAI.NeedsText()
    if not gPet then return "" end
    local n = gPet.needs
    return string.format("Hunger %d  Energy %d  Fun %d  Affection %d  Clean %d",
                         n.hunger, n.energy, n.fun, n.affection, n.cleanliness)
end

local DOING = {
    IDLE = "standing about", WANDER = "wandering", SIT = "sitting", LIE = "lying down", SLEEP = "asleep",
    GROOM = "grooming", EAT = "eating", DRINK = "drinking", PLAY = "playing", COME = "coming to you",
    STRETCH = "stretching", YAWN = "yawning", REACT = "reacting", CHASE = "chasing the ball",
    EAT_TREAT = "going for the treat", FLEE = "shaking off the water",
}
-- A reaction is told by what the cat does.
local REACTING = {
    Startle = "startled", StumbleFront = "stumbling", StumbleBack = "stumbling", StumbleLeft = "stumbling",
    StumbleRight = "stumbling", Hiss = "hissing", Meow = "complaining", Eat = "eating a treat",
    Pounce = "pouncing", WakeUp = "waking up", Purr = "purring",
}
function PetAI.DoingText()
    if not gPet then return "" end
    local who = gPet.name ~= "" and gPet.name or "Your kitten"
    local doing = DOING[PetAI.activity or "IDLE"] or string.lower(PetAI.activity)
    if PetAI.activity == "REACT" then doing = REACTING[PetAI.clip or ""] or doing end
    if PetAI.petting and PetAI.petting.like > 0 then doing = "purring"
    elseif PetAI.petting then doing = "putting up with it" end
    return string.format("%s the %s: %s", who, gPet.breed, doing)
end
