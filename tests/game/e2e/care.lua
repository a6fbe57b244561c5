-- A player adopts a kitten and looks after it in the house, on the 3D
-- screen: strokes its head, pokes it, pushes it, throws it the ball and
-- leaves it a treat, then quits through the house's menu.  A second run
-- (E2E_PHASE = "load") loads the pet from the load menu and prints what
-- came back.  Every check prints "E2E ok <what>" or "E2E FAIL <what>"; the
-- runner compares the lines and keeps the pictures.
--
-- E2E_OUT and E2E_PHASE are set by the runner above this.

local played, calls = {}, {}

-- The sounds the scripts ask for, and the callbacks the room makes, are
-- recorded on their way through.
local function Record()
    if PlaySound and not gRecordingSounds then
        local play = PlaySound
        PlaySound = function(name, ...)
            table.insert(played, name)
            return play(name, ...)
        end
        gRecordingSounds = true
    end
    for _, name in ipairs({"OnStartPetting", "OnEndPetting", "OnPokePet", "OnPushPet", "OnClickedObject", "PutTreatBack", "TreatPet"}) do
        local callback = Room[name]
        if callback and not calls[name] then
            calls[name] = {}
            Room[name] = function(...)
                table.insert(calls[name], {...})
                return callback(...)
            end
        end
    end
end

local function Check(ok, what)
    print((ok and "E2E ok " or "E2E FAIL ") .. what)
    if not ok then failed = true end
    return ok
end

local function Shot(name)
    local code = ScreenCaptureWithUI("<DEFAULT>" .. E2E_OUT .. "/" .. name .. ".tga")
    if code ~= 0 then print("E2E FAIL capture " .. name .. " " .. code) end
end

local function Wait(frames)
    for _ = 1, frames do coroutine.yield() end
end

-- Gives up after the frames given, and not before as many 40 ms have
-- passed too: the game runs by the clock, and a fast machine draws its
-- frames (up to 60 a second) quicker than the slow one the counts were
-- chosen on.
local function WaitFor(test, frames, what)
    local start, frame = QorGetTickCount(), 0
    while frame < frames or QorGetTickCount() - start < frames * 40 do
        if test() then return true end
        coroutine.yield()
        frame = frame + 1
    end
    return Check(false, "waited for " .. what)
end

local function Click(x, y)
    PostMouse("move", x, y) Wait(1)
    PostMouse("down", x, y) Wait(1)
    PostMouse("up", x, y) Wait(8)
end

local function Type(text)
    for i = 1, #text do
        PostKey(string.byte(text, i))
        Wait(1)
    end
end

local function InRoom(name)
    return WaitFor(function() return GetCurRoomName() == name end, 600, "room " .. name)
end

-- Where a bone of the pet is on the screen.
local function BoneOnScreen(bone)
    local x, y, z = pet:GetBonePosition(pet:GetBoneIndex(bone))
    return GetScreenPosition(x, y, z)
end

local function Played(name)
    for _, sound in ipairs(played) do
        if string.find(sound, name, 1, true) then return true end
    end
    return false
end

local function Attentive()
    return PetAI.CUR_STATE == PetAI.PET_STATES.ATTENTION_MODE
end

local function Distance(ax, az, bx, bz)
    return math.sqrt((ax - bx) ^ 2 + (az - bz) ^ 2)
end

-- Waits until the cat is attentive and the bone has held still on the
-- screen for most of a second: a cat still walking, turning or sitting down
-- would take the press somewhere else.  Held by the clock, not by frames:
-- on a busy machine several frames can pass with the pose not yet moved on.
local function Settled(bone)
    local lastX, lastY, since = nil, nil, nil
    return WaitFor(function()
        local x, y = BoneOnScreen(bone)
        local now = QorGetTickCount()
        if not Attentive() or not lastX or math.abs(x - lastX) > 2 or math.abs(y - lastY) > 2 then
            lastX, lastY, since = x, y, now
            return false
        end
        return now - since >= 800
    end, 3000, "the cat to settle")
end

-- Keeps the cat at what it is doing for the next seconds: its mind may
-- choose to lie down or walk off between the look and the press, which
-- would make the check a matter of chance.  Its reactions still come.
local function HoldStill(bone)
    Settled(bone)
    PetAI.activityUntil = math.max(PetAI.activityUntil or 0, (PetAI.now or 0) + 20000)
end

local function Needs()
    local n = gPet.needs
    return string.format("hunger=%.0f energy=%.0f fun=%.0f affection=%.0f cleanliness=%.0f",
        n.hunger, n.energy, n.fun, n.affection, n.cleanliness)
end

local function Adopt()
    InRoom("MainMenu")
    Wait(10)
    Click(400, 240)                                  -- Play
    InRoom("Kennel1")
    Wait(20)
    Shot("Kennel1")
    Click(680, 510)                                  -- Next kitten
    Wait(10)
    Click(400, 510)                                  -- Choose
    InRoom("Kennel2")
    Wait(10)
    Type("Miso")
    Shot("Kennel2")
    Type("\r")
    InRoom("Kennel3")
    Wait(10)
    Shot("Certificate")
    Click(400, 520)                                  -- Go Home
    InRoom("House")
    Wait(60)
    Record()
    Shot("House")
    Check(GetPetName() == "Miso" and GetPetBreed() == "Abyssinian", "the adopted kitten is in the house")
end

-- Presses on the bone, goes out and back (a stroke, not a push), keeps
-- moving over it for `moves` frames, keeps a picture, lets go on it.
local function StrokeBone(bone, moves, shot)
    local x, y = BoneOnScreen(bone)
    PostMouse("move", x, y) Wait(2)
    PostMouse("down", x, y) Wait(2)
    for dx = 8, 40, 8 do PostMouse("move", x + dx, y) Wait(1) end
    PostMouse("move", x + 15, y) Wait(2)
    for i = 1, moves do
        local bx, by = BoneOnScreen(bone)
        PostMouse("move", bx + (i % 2 == 0 and 3 or -3), by) Wait(1)
    end
    Shot(shot)
    PostMouse("up", BoneOnScreen(bone))
end

local function Stroke()
    HoldStill("head")
    local before = gPet.needs.affection
    StrokeBone("head", 60, "Stroke")
    Wait(10)
    local started = calls.OnStartPetting and calls.OnStartPetting[1]
    Check(started and started[1] == "Head", "stroking the head starts petting the head")
    Check(Played("purr"), "a purr plays")
    Check(gPet.needs.affection > before, string.format("affection rises (%.1f -> %.1f)", before, gPet.needs.affection))
end

-- Clicks where the bone is on the screen, quickly (the release in the
-- pass after the press), until answered() holds, at most three times.  A
-- poke needs the same body part under the press and the release, and a
-- squirt the cat under both: a tail swishing across the pointer in between
-- takes the click, as it would a player's, who would click again.  Answers
-- the try that worked (nil when none did) and where it clicked.
local function ClickBone(bone, answered)
    local x, y
    for try = 1, 3 do
        HoldStill(bone)
        x, y = BoneOnScreen(bone)
        PostMouse("move", x, y) Wait(2)
        PostMouse("down", x, y)
        PostMouse("up", x + 1, y) Wait(3)
        if answered() then return try, x, y end
    end
    return nil, x, y
end

local function Poke()
    Wait(40)
    local try, x, y = ClickBone("spine", function() return calls.OnPokePet ~= nil and #calls.OnPokePet > 0 end)
    local clicked = calls.OnClickedObject and calls.OnClickedObject[#calls.OnClickedObject]
    Check(try and #calls.OnPokePet == 1,
          string.format("a click on the body pokes (at %d,%d, try %s: state %s, %s, last click on %s)", x, y,
                        tostring(try), tostring(PetAI.CUR_STATE), tostring(PetAI.activity),
                        clicked and tostring(clicked[1]) or "nothing"))
    Check(PetAI.clip == "Startle", "the cat startles")
    Shot("Poke")
    Wait(60)
end

local function Push()
    HoldStill("spine")
    local x, y = BoneOnScreen("spine")
    local rootX = BoneOnScreen("root")
    PostMouse("move", x, y) Wait(2)
    PostMouse("down", x, y) Wait(2)
    for dx = 10, 50, 10 do PostMouse("move", x + dx, y) Wait(1) end
    PostMouse("up", x + 50, y) Wait(2)
    local push = calls.OnPushPet and calls.OnPushPet[1]
    Check(push and push[2] == 1, "a drag to the right pushes to the right")
    Check(PetAI.clip and string.find(PetAI.clip, "Stumble", 1, true) ~= nil, "the cat stumbles (" .. tostring(PetAI.clip) .. ")")
    Wait(40)
    Shot("Push")
    local afterX = BoneOnScreen("root")
    Check(afterX > rootX, string.format("it stumbles to the right on the screen (%d -> %d)", rootX, afterX))
    Wait(60)
end

local function ThrowBall()
    Click(52, 560)                                   -- the ball button
    Check(toy ~= nil and toy:GetName() == "Ball", "the ball is in hand")
    PostMouse("move", 400, 420) Wait(2)
    PostMouse("down", 400, 420) Wait(1)
    for _, y in ipairs({400, 370, 330, 280, 230}) do PostMouse("move", 400, y) Wait(1) end
    PostMouse("up", 400, 230) Wait(1)
    Check(toy:IsFlying(), "the ball flies")
    local lowest, bounced, rolled, previousY = 1e9, false, false, nil
    local startX, _, startZ = toy:GetPosition()
    local rested = WaitFor(function()
        local x, y, z = toy:GetPosition()
        if previousY and y > previousY + 1e-4 and lowest < 0.2 then bounced = true end
        if y < lowest then lowest = y end
        if bounced and y < 0.05 then rolled = true end
        previousY = y
        if toy:GetState() == 3 then return true end
    end, 900, "the ball to stop")
    Check(bounced, "the ball bounces")
    Check(rolled, "the ball rolls")
    if rested then
        local x, _, z = toy:GetPosition()
        Check(Distance(x, z, startX, startZ) > 0.3, "the ball stops away from the hand")
        Shot("BallAtRest")
        local px, _, pz = pet:GetPosition()
        local start = Distance(px, pz, x, z)
        -- It may land close by: then the cat only has a step to take.
        local pounced = WaitFor(function() return PetAI.clip == "Pounce" end, 600, "the cat to pounce on the ball")
        local qx, _, qz = pet:GetPosition()
        Check(pounced and Distance(qx, qz, x, z) < 0.5,
              string.format("the cat goes to the ball and pounces (%.2f -> %.2f m)", start, Distance(qx, qz, x, z)))
        Shot("Chase")
    end
    Wait(150)
end

local function Treat()
    local hunger = gPet.needs.hunger
    Click(126, 560)                                  -- the treat button
    Check(toy ~= nil and toy:GetName() == "Treat", "a treat is in hand")
    -- on the floor, away from the cat
    local px = BoneOnScreen("root")
    local x = px > 400 and 200 or 600
    PostMouse("move", x, 420) Wait(2)
    PostMouse("down", x, 420) Wait(1)
    PostMouse("up", x, 420) Wait(2)
    Check(calls.PutTreatBack and #calls.PutTreatBack == 1, "the treat is left on the floor")
    WaitFor(function() return PetAI.clip == "Eat" end, 900, "the cat to eat")
    Shot("Treat")
    Check(gPet.needs.hunger < hunger, string.format("eating the treat feeds it (hunger %.1f -> %.1f)", hunger, gPet.needs.hunger))
    Wait(90)
end

-- The shower after the shampoo's place in the row, then the spray bottle:
-- a click with it squirts the cat, which jumps and runs off.
local function ShowerAndSpray()
    HoldStill("spine")
    local clean = gPet.needs.cleanliness
    Click(348, 560)                                  -- the shower
    StrokeBone("spine", 20, "Shower")
    Wait(5)
    Check(gPet.needs.cleanliness > clean, string.format("the shower cleans it (%.1f -> %.1f)", clean, gPet.needs.cleanliness))
    Click(422, 560)                                  -- the spray, in place of the shower
    local affection = gPet.needs.affection
    local try, x, y = ClickBone("spine", function() return PetAI.clip == "Startle" end)
    Check(try and gPet.needs.affection < affection,
          string.format("sprayed, it jumps and likes it less (at %d,%d, try %s: %s, %s, affection %.1f -> %.1f)",
                        x, y, tostring(try), tostring(PetAI.activity), tostring(PetAI.clip), affection,
                        gPet.needs.affection))
    WaitFor(function() return PetAI.activity == "FLEE" end, 300, "the cat to run off")
    Shot("Sprayed")
    Click(422, 560)                                  -- the spray put away
    Check(not Room.m_bScolding and PetAI.mode == nil, "the bottle is put away")
end

local function QuitThroughMenu()
    print("E2E needs " .. Needs())
    Click(710, 560)                                  -- the menu button
    Shot("HouseMenu")
    Click(400, 355)                                  -- its Quit
    Wait(10)
    Shot("QuitQuestion")
    print("E2E quitting")
    Click(310, 375)                                  -- Yes
    Wait(300)
end

local function Load()
    InRoom("MainMenu")
    Wait(10)
    Click(400, 300)                                  -- Load
    InRoom("LoadMenu")
    Wait(10)
    Shot("LoadMenu")
    Click(434, 255)                                  -- the saved pet
    Click(400, 565)                                  -- Load
    InRoom("House")
    print(string.format("E2E loaded name=%s breed=%s money=%d", GetPetName(), GetPetBreed(), gPet.money))
    print("E2E needs " .. Needs())
    Wait(30)
    Shot("Loaded")
    QuitThroughMenu()
end

local script = coroutine.create(function()
    if E2E_PHASE == "load" then
        Load()
    else
        Adopt()
        Stroke()
        Poke()
        Push()
        ThrowBall()
        Treat()
        ShowerAndSpray()
        QuitThroughMenu()
    end
end)

function VornDriverFrame()
    if coroutine.status(script) == "dead" then return end
    local ok, message = coroutine.resume(script)
    if not ok then
        print("E2E FAIL driver: " .. tostring(message))
        _G.Quit()
    end
end
