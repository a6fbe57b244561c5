-- The cat's mind on the shipped scripts: needs that move with time and
-- care, choices weighed by need that hold for their time, and the
-- reactions to the player with their clips and sounds.
gScratchName = "pet_ai"
dofile("support/standins.lua")
dofile("House/House.lua")
math.randomseed(19)

Room.OnStartRoom()
assert(pet and gRegistered == pet and gHouseRoom == HOUSE_ROOMS[2], "the house makes a pet when none is saved")
assert(physics.yard.min_x == HOUSE_ROOMS[2].view[1] and physics.yard.max_z == HOUSE_ROOMS[2].view[4])
local S = PetAI.PET_STATES

local function Hold(name)
    PetAI.StartActivity(name)
    PetAI.activityUntil = gNow + 1e9
end
local function Needs(t) for k, v in pairs(t) do gPet.needs[k] = v end end
local function Near(a, b, eps, what) assert(math.abs(a - b) < (eps or 1e-6), (what or "") .. ": " .. a .. " vs " .. b) end
local function LastClip() for i = #gCalls, 1, -1 do if gCalls[i][1] == "BlendIn" then return gCalls[i][2] end end end

-- Needs drift by their rates while nothing is done for the cat.
RunTicks(1, 100)
Hold("SIT")
Needs({ hunger = 20, energy = 80, fun = 60, affection = 50, cleanliness = 90 })
RunTicks(600, 100)                                   -- one minute
local rate = globals.NEEDS
Near(gPet.needs.hunger, 20 + 60 * rate.hunger_rate, 1e-6, "hunger")
Near(gPet.needs.energy, 80 - 60 * rate.energy_awake_rate, 1e-6, "energy")
Near(gPet.needs.fun, 60 - 60 * rate.fun_rate, 1e-6, "fun")
Near(gPet.needs.affection, 50 - 60 * rate.affection_rate, 1e-6, "affection")
-- Asleep, energy comes back; a long gap in the clock counts at most a second.
Hold("SLEEP")
local before = gPet.needs.energy
RunTicks(100, 100)
Near(gPet.needs.energy, before + 10 * rate.energy_sleep_rate, 1e-6, "sleep")
before = gPet.needs.hunger
RunTicks(1, 3600000)
Near(gPet.needs.hunger, before + rate.hunger_rate, 1e-6, "a stalled clock")
-- Needs stay within 0..100.
Needs({ hunger = 99.99, fun = 0.01 })
RunTicks(100, 100)
assert(gPet.needs.hunger == 100 and gPet.needs.fun == 0)

-- The choice follows the strongest need, with chance only deciding close calls.
local function ChoiceCounts(needs, trials)
    local counts = {}
    for _ = 1, trials do
        Needs(needs)
        PetAI.activity = "IDLE"
        local c = PetAI.Choose()
        counts[c] = (counts[c] or 0) + 1
    end
    return counts
end
local hungry = ChoiceCounts({ hunger = 95, energy = 90, fun = 90, affection = 90, cleanliness = 95 }, 40)
assert((hungry.EAT or 0) >= 36, "a hungry cat eats: " .. tostring(hungry.EAT))
local tired = ChoiceCounts({ hunger = 10, energy = 5, fun = 90, affection = 90, cleanliness = 95 }, 40)
assert((tired.SLEEP or 0) >= 36, "a tired cat sleeps: " .. tostring(tired.SLEEP))
-- Without bowls in the room there is no eating.
ShowHouseRoom(4)
local bathroom = ChoiceCounts({ hunger = 95, energy = 90, fun = 90, affection = 90, cleanliness = 95 }, 20)
assert(not bathroom.EAT and not bathroom.DRINK)
ShowHouseRoom(2)
Needs({ hunger = 20, energy = 80, fun = 60, affection = 60, cleanliness = 90 })

-- Choices hold: over five minutes no activity is left before its least time.
PetAI.StartActivity("IDLE")
local changes, current, since = 0, PetAI.activity, gNow
for _ = 1, 3000 do
    RunTicks(1, 100)
    if PetAI.activity ~= current then
        local hold = globals.AI.HOLD[current]
        if hold then
            assert(gNow - since >= hold[1] * 1000, current .. " left for " .. tostring(PetAI.activity) .. " after " .. (gNow - since) .. " ms")
        end
        changes = changes + 1
        current, since = PetAI.activity, gNow
    end
    -- the cat stays on its floor
    local x, _, z = pet:GetPosition()
    local walk = gHouseRoom.walk
    assert(x >= walk[1] and x <= walk[3] and z >= walk[2] and z <= walk[4])
end
assert(changes >= 10 and changes <= 120, "choices in five minutes: " .. changes)

-- The rooms see attention while the cat is awake near the player, not
-- while it sleeps, and the care modes while a tool is in hand.
pet:SetPosition(0, 0, 0.5)
Hold("SIT")
RunTicks(1, 100)
assert(PetAI.CUR_STATE == S.ATTENTION_MODE and Room.m_bAttentionMode == true)
Hold("SLEEP")
RunTicks(1, 100)
assert(PetAI.CUR_STATE ~= S.ATTENTION_MODE and Room.m_bAttentionMode == false)
-- clicking a sleeping cat wakes it
ClearCalls()
Room.OnClickedObject("Pet", true)
assert(LastClip() == "WakeUp" and PetAI.activity == "REACT")
ClearCalls()
HouseSetTool("BRUSHING")
assert(Called("SetBrushCursor") and PetAI.CUR_STATE == S.BRUSHING_MODE)
HouseSetTool("BRUSHING")                             -- the same button again puts it away
assert(Called("RevertToDefaultCursor") and PetAI.mode == nil)

-- The shampoo leaves lather that the shower's next stroke rinses off for
-- more; a second rinse has none left.
local rates = globals.NEEDS
local function Stroke() Room.OnStartPetting("Back", false) Room.OnEndPetting("Back", 900, false) end
Hold("SIT")
Needs({ cleanliness = 20 })
HouseSetTool("BATHTUB")
Stroke() Stroke()
ClearCalls()
HouseSetTool("SHOWER")
assert(Called("SetShowerCursor") and PetAI.CUR_STATE == S.BATHTUB_MODE and Room.m_bScolding == false)
Room.OnStartPetting("Back", false)
assert(Called("PlaySound", "generated/Sounds/water_splash.wav"))
Room.OnEndPetting("Back", 900, false)
local rinsed = 20 + 2 * rates.bath_per_stroke + rates.shower_per_stroke + 2 * rates.rinse_per_lather
Near(gPet.needs.cleanliness, rinsed, 1e-6, "rinsed")
Stroke()
Near(gPet.needs.cleanliness, rinsed + rates.shower_per_stroke, 1e-6, "rinsed again")

-- The spray bottle: the room scolds while it is in hand, a click on the cat
-- squirts it once, and once it has jumped it runs off away from the player.
-- A sleeping cat takes no presses, so its click comes alone; an awake one's
-- comes after the poke, which must not squirt it twice.
ClearCalls()
HouseSetTool("SPRAY")
assert(Called("SetSprayCursor") and Room.m_bScolding == true and PetAI.CUR_STATE == S.ATTENTION_MODE)
pet:SetPosition(0, 0, 0.5)
Hold("SLEEP")
Needs({ affection = 50 })
Room.OnClickedObject("Abyssinian", true)
assert(LastClip() == "Startle" and PetAI.activity == "REACT", "a sleeper is squirted awake")
Room.OnPokePet("Back")
Room.OnClickedObject("Abyssinian", true)
assert(LastClip() == "Startle" and Called("PlaySound", "generated/Sounds/water_splash.wav"))
Near(gPet.needs.affection, 50 + 2 * rates.spray_affection, 1e-9, "one squirt a click")
gInstantWalks = false
RunTicks(30, 50)
gInstantWalks = true
local run = Called("DoEvent")
assert(run and string.find(run[2], "^pet%.WalkToPosition%(Run,SitIdle,"), run and run[2])
local gx, gz = string.match(run[2], "([-%d.]+),[-%d.]+,([-%d.]+)%)$")
local player = gHouseRoom.player
assert(math.sqrt((gx - player[1]) ^ 2 + (gz - player[2]) ^ 2) > 0.5, "it runs away: " .. run[2])
HouseSetTool("SPRAY")
assert(Room.m_bScolding == false and PetAI.mode == nil)

-- Stroking the head: a purr, the head leans into the hand, affection rises
-- faster than it fades.
Hold("SIT")
ClearCalls()
Needs({ affection = 40 })
Room.OnStartPetting("Head", false)
assert(LastClip() == "Purr" and Called("PlaySound", "generated/Sounds/purr_loop.wav"))
assert(Room.tTweakBone.on == 1 and Room.tTweakBone.name == "head")
RunTicks(50, 100)
assert(gPet.needs.affection > 40 + 4 * 5 * gPetBreedInfo.likes.Head * 0.9, "affection " .. gPet.needs.affection)
Room.OnEndPetting("Head", 5000, false)
assert(Room.tTweakBone.on == 0)
-- The chin bends the neck; sliding on from the head keeps purring.
Room.OnStartPetting("Head", false)
Room.OnEndPetting("Head", 900, true)
ClearCalls()
Room.OnStartPetting("Chin", true)
assert(Room.tTweakBone.on == 1 and Room.tTweakBone.name == "neck" and not Called("BlendIn", "Sit"))
Room.OnEndPetting("Chin", 900, false)

-- The tail: borne for a moment, then a hiss, by temperament.
local function AnnoyTime(breed, part)
    NewPet(breed)
    Room.OnStartRoom()
    Hold("SIT")
    ClearCalls()
    Room.OnStartPetting(part, false)
    local start = gNow
    for _ = 1, 200 do
        RunTicks(1, 50)
        if Called("PlaySound", "generated/Sounds/hiss.wav") or Called("PlaySound", "generated/Sounds/meow_annoyed.wav") then
            Room.OnEndPetting(part, gNow - start, false)
            return gNow - start
        end
    end
    Room.OnEndPetting(part, gNow - start, false)
    return nil
end
local bengal = AnnoyTime("Bengal", "Tail")
local snowpoint = AnnoyTime("Snowpoint", "Tail")
assert(bengal and bengal >= 500, "a Bengal hisses at the tail, not at once: " .. tostring(bengal))
assert(snowpoint and snowpoint > bengal, "a patient cat bears it longer: " .. tostring(snowpoint))
assert(AnnoyTime("Snowpoint", "Head") == nil, "a liked part never annoys")

-- A poke startles and the cat looks at the pointer.
Hold("SIT")
ClearCalls()
Room.OnPokePet("Back")
assert(LastClip() == "Startle" and Called("PlaySound", "generated/Sounds/kitten_mew.wav"))
local face = Called("DoEvent")
assert(face and face[2] == "pet.FacePosition(4.000,0.300,0.000,-0.400)", face and face[2])

-- A push: the screen's direction turned into the cat's own stumble, and
-- the cat slides that way.  The camera looks toward -z.
local function PushClip(fx, fz, direction)
    Hold("SIT")
    pet:SetPosition(0, 0, 0)
    pet.fwd = {fx, 0, fz}
    ClearCalls()
    Room.OnPushPet("Back", direction)
    local clip = LastClip()
    gInstantWalks = false                -- whatever it does next, it stays put
    RunTicks(30, 50)
    gInstantWalks = true
    local x, _, z = pet:GetPosition()
    return clip, x, z
end
-- The engine's frame is left-handed: looking toward -z, the screen's right
-- is -x, so a cat facing +x faces the screen's left.
local expected = {                     -- facing -z (away), facing +x (to the screen's left)
    [0] = {"StumbleFront", "StumbleRight"}, [1] = {"StumbleRight", "StumbleBack"},
    [2] = {"StumbleBack", "StumbleLeft"}, [3] = {"StumbleLeft", "StumbleFront"},
}
local slide = { [0] = {0, -1}, [1] = {-1, 0}, [2] = {0, 1}, [3] = {1, 0} }
for direction = 0, 3 do
    local clip, x, z = PushClip(0, -1, direction)
    assert(clip == expected[direction][1], direction .. " facing away: " .. tostring(clip))
    Near(x, slide[direction][1] * globals.AI.PUSH_SLIDE, 1e-3, "slide x")
    Near(z, slide[direction][2] * globals.AI.PUSH_SLIDE, 1e-3, "slide z")
    clip = PushClip(1, 0, direction)
    assert(clip == expected[direction][2], direction .. " facing right: " .. tostring(clip))
end

-- Treats: from the hand it is eaten at once; put back on the floor, the
-- cat walks to it and eats it there.
Hold("SIT")
Needs({ hunger = 50, affection = 50 })
HouseGrabToy("Treat")
assert(toy == gToys.Treat and Called("GrabToy", "Treat"))
ClearCalls()
Room.TreatPet()
assert(LastClip() == "Eat" and Called("PlaySound", "generated/Sounds/eat_crunch.wav"))
assert(gPet.needs.hunger == 50 - globals.NEEDS.treat_hunger and gPet.needs.affection == 50 + globals.NEEDS.treat_affection)
assert(toy == nil and gToys.Treat:IsVisible() == 0)
RunTicks(60, 50)
Hold("SIT")
pet:SetPosition(-1, 0, 0.5)
HouseGrabToy("Treat")
ClearCalls()
Room.PutTreatBack()
local walk = Called("DoEvent")
assert(walk and string.find(walk[2], "^pet%.WalkToPosition%(Trot,Eat,") and string.find(walk[2], "0%.300,0%.000,%-0%.400%)$"), walk and walk[2])
assert(gToys.Treat:IsVisible() == 1)
RunTicks(2, 50)
assert(LastClip() == "Eat" and gToys.Treat:IsVisible() == 0 and toy == nil)

-- The pointer holds the treat in the air: it goes down to the floor where
-- the eye's ray through it meets the floor.
local plainMouse = MouseToToy
MouseToToy = function() return 0.3, 0.75, 0.8 end    -- halfway from the eye (0, 1.5, 2)
HouseGrabToy("Treat")
ClearCalls()
gInstantWalks = false
Room.PutTreatBack()
gInstantWalks = true
local tx, ty, tz = gToys.Treat:GetPosition()
Near(tx, 0.6, 1e-6, "treat x") Near(ty, 0, 1e-6, "treat y") Near(tz, -0.4, 1e-6, "treat z")
MouseToToy = plainMouse
PetAI.StartActivity("SIT")
gToys.Treat:SetVisible(0)
toy = nil

-- The ball: watched in flight, chased once it rests, pounced on, batted.
RunTicks(60, 50)
Hold("SIT")
pet:SetPosition(0, 0, 0.5)
HouseGrabToy("Ball")
gToys.Ball.state = 1
RunTicks(1, 50)
assert(PetAI.activity == "CHASE")
gToys.Ball.state = 3
gToys.Ball.pos = {1.0, 0, -1.0}
ClearCalls()
RunTicks(1, 50)
walk = Called("DoEvent")
assert(walk and string.find(walk[2], "^pet%.WalkToPosition%(Run,Pounce,") and string.find(walk[2], "1.000,0.000,%-1.000%)$"), walk and walk[2])
RunTicks(1, 50)
assert(LastClip() == "Pounce")
RunTicks(25, 50)
assert(LastClip() == "Bat" and Called("Throw", "Ball") and gToys.Ball.state == 1)

-- The needs line follows the cat, also when the house's clock starts over
-- below the one it was shown with.
Room.m_nTextTick = gNow + 1e6
Needs({ hunger = 42 })
RunTicks(2, 50)
assert(string.find(Room.m_szNeedsLine, "Hunger 42", 1, true), Room.m_szNeedsLine)

-- A walk goes round the furniture in its way: every point of the path the
-- walk is given keeps clear of every footprint, and it ends at the goal.
local function ClearOfFurniture(sx, sz, path)
    for _, p in ipairs(path) do
        for k = 0, 50 do
            local x, z = sx + (p[1] - sx) * k / 50, sz + (p[2] - sz) * k / 50
            for _, b in ipairs(gHouseRoom.boxes) do
                if x > b[1] - 0.2 and x < b[3] + 0.2 and z > b[2] - 0.2 and z < b[4] + 0.2 then return false end
            end
        end
        sx, sz = p[1], p[2]
    end
    return true
end
assert(not ClearOfFurniture(-1.2, 0.6, { { 1.2, 0.6 } }), "the coffee table stands in the straight way")
local route = PetAI.PathTo(-1.2, 0.6, 1.2, 0.6)
assert(#route > 1 and route[#route][1] == 1.2 and route[#route][2] == 0.6 and ClearOfFurniture(-1.2, 0.6, route))
assert(#PetAI.PathTo(0, 0, 1.0, 0) == 1, "a clear way is walked straight")
-- Pushed against the sofa, the cat still walks away from it.
local sofa = gHouseRoom.boxes[1]
local path = PetAI.PathTo(0, sofa[4] - 0.1, 1.5, 1.2)
assert(#path == 1 and path[1][1] == 1.5)
pet:SetPosition(-1.2, 0, 0.6)
ClearCalls()
gInstantWalks = false
PetAI.WalkTo(1.2, 0.6, "Walk", "Sit")
gInstantWalks = true
walk = Called("DoEvent")
-- the walk's own four words, then each corner twice and the goal
local _, commas = string.gsub(walk[2], ",", "")
assert(commas == 4 + 3 * (2 * #route - 1) - 1, walk[2])

-- A goal under the coffee table becomes the nearest spot beside it: the
-- walk there ends in the open, and a treat let go over the table waits
-- there too.
local coffee = gHouseRoom.boxes[2]
local function Beside(x, z)
    return x <= coffee[1] - 0.25 or x >= coffee[3] + 0.25 or z <= coffee[2] - 0.25 or z >= coffee[4] + 0.25
end
local ux, uz = (coffee[1] + coffee[3]) / 2, coffee[4] - 0.05
local bx, bz = PetAI.ClearOfFurniture(ux, uz)
assert(Beside(bx, bz) and bx == ux and math.abs(bz - (coffee[4] + 0.3)) < 1e-9, bx .. " " .. bz)
assert(select(1, PetAI.ClearOfFurniture(1.5, -1.0)) == 1.5, "a goal in the open stays")
pet:SetPosition(-1.5, 0, -1.0)
HouseGrabToy("Treat")
MouseToToy = function() return ux, 0, uz end
gInstantWalks = false
Room.PutTreatBack()
gInstantWalks = true
MouseToToy = plainMouse
local treatX, _, treatZ = gToys.Treat:GetPosition()
assert(Beside(treatX, treatZ), "the treat waits beside the table: " .. treatX .. " " .. treatZ)
PetAI.StartActivity("SIT")
gToys.Treat:SetVisible(0)
toy = nil

-- The cat stays where the player sees it: wandering picks spots in the
-- picture, and coming to the player stops at the picture's edge on the way
-- from the point the camera looks at (here a plain projection, y down the
-- screen as z grows).
GetScreenPosition = function(x, y, z) return 400 + 250 * x, 300 + 250 * z - 150 * y end
for _ = 1, 20 do
    local x, z = PetAI.RandomSpot()
    assert(x and PetAI.InSight(x, z) and 300 + 250 * z <= 500)
end
local sx, sz = PetAI.IntoSight(0.4, 2.0)
assert(PetAI.InSight(sx, sz) and sz > 0.79 and sz <= 0.8 and math.abs(sx - 0.4 * (sz + 0.5) / 2.5) < 1e-6, sx .. " " .. sz)
GetScreenPosition = nil

-- Leaving the house saves a named pet; so does quitting, which unloads the
-- pet while the house still shows it.
SetPetName("Leaver")
Room.OnStopRoom()
assert(QorFileExists(PetSaveFileName("Leaver")) and gPetInHouse == false)
Room.OnStartRoom()
SetPetName("Quitter")
UnLoadPet()
assert(QorFileExists(PetSaveFileName("Quitter")) and pet == nil)
-- An unnamed kitten is never saved.
Room.OnStartRoom()
assert(GetPetName() == "Quitter", "the house brings back the last pet")
SetPetName("")
UnLoadPet()
assert(not QorFileExists(PetSaveFileName("")))
RemoveScratch()
print("pet ai: ok")
