-- The house: the cat's home in five rooms, the player's toys and tools on
-- the overlay, the cat's needs on a line of text, the money in the corner.
-- The pet room calls the Room.On... functions below; the cat's mind is the
-- PetAI (Pets/PetAI.lua).
dofile("Pets/StorageFunc.lua")
dofile("House/HouseRooms.lua")

Room.m_nCurRoom = Room.m_nCurRoom or 2
Room.m_bScolding = false
Room.m_bAttentionMode = false
Room.tTweakBone = { on = 0, name = "head", axis = { x = 1, y = 0, z = 0 }, angle = 0,
                    qav_factor = 1, qav_factor_min = 0.5, qav_factor_max = 2 }

local SOUNDS = "generated/Sounds/"
local TICK_TIMER = 1              -- our own tick until the host gives one
local TEXT_EVERY_MS = 400

-- ------------------------------------------------------------- the scene

local function NewObject(class)
    class = class or Cx3DObject
    return class:new()
end

local function Keep(object)
    Room.m_tSceneObjects = Room.m_tSceneObjects or {}
    table.insert(Room.m_tSceneObjects, object)
    return object
end

local function ClearScene()
    local scene = Room.m_cSceneManager
    if scene and Room.m_cLight then scene:RemoveLight(Room.m_cLight) end
    for _, object in ipairs(Room.m_tSceneObjects or {}) do object:UnLoad() end
    Room.m_tSceneObjects, Room.m_cLight = {}, nil
    if pet and pet.UnLink then pet:UnLink() end
end

-- The toys of the overlay: made once per visit, hidden until grabbed.
local TOYS = {
    Ball = "generated/props/ball.glb",
    Treat = "generated/props/treats.glb",
}

local function MakeToys(scene)
    gToys = {}
    for name, file in pairs(TOYS) do
        local t = NewObject(C3DPhysicsObject or Cx3DObject)
        t:LoadModel(file)
        t:SetName(name)
        t:SetMaterialDiffuse(1.0, 1.0, 1.0, 1.0)
        t:SetMaterialAmbient(0.6, 0.6, 0.6, 1.0)
        t:SetVisible(0)
        if scene then t:Link(scene) end
        gToys[name] = t
    end
end

-- The floor nearest the camera lies under the toy and tool buttons or
-- below the screen: the fence and the cat's chosen spots stop where the
-- floor meets the buttons' row, found along the camera's line of sight.
local TOY_BAR_TOP = 520

local function KeepToysInSight(layout)
    if not GetScreenPosition then return end
    local view = layout.view
    -- the camera may look across the room: the nearest edge at either side
    -- or the middle wins
    local near = view[4]
    for _, x in ipairs({ view[1], layout.target[1], view[3] }) do
        local _, far = GetScreenPosition(x, 0, view[2])
        local _, close = GetScreenPosition(x, 0, view[4])
        if far < TOY_BAR_TOP and close > TOY_BAR_TOP then
            local lo, hi = view[2], view[4]        -- the camera looks toward -z
            for _ = 1, 30 do
                local mid = (lo + hi) / 2
                local _, y = GetScreenPosition(x, 0, mid)
                if y > TOY_BAR_TOP then hi = mid else lo = mid end
            end
            near = math.min(near, lo)
        end
    end
    view[4] = near
    physics.yard.max_z = math.min(physics.yard.max_z, near)
end

-- Shows house room n: its model, light, props and camera; the cat comes
-- along to the room's starting spot.
function ShowHouseRoom(n)
    local layout = HOUSE_ROOMS[n]
    if not layout then return end
    Room.m_nCurRoom = n
    gHouseRoom = layout
    physics.yard = HouseFence(layout)
    local scene = Room.m_cSceneManager
    if scene then
        ClearScene()
        local model = Keep(NewObject())
        model:LoadModel(layout.model)
        model:SetName(HOUSE_ROOM_NAMES[n])
        model:SetMaterialDiffuse(0.6, 0.58, 0.55, 1.0)
        model:SetMaterialAmbient(0.8, 0.78, 0.75, 1.0)
        model:Link(scene)
        for _, prop in ipairs(layout.props) do
            local object = Keep(NewObject())
            object:LoadModel(prop.file)
            object:SetName(prop.name)
            object:SetMaterialDiffuse(1.0, 1.0, 1.0, 1.0)
            object:SetMaterialAmbient(0.6, 0.6, 0.6, 1.0)
            object:SetPosition(prop.at[1], prop.at[2], prop.at[3])
            object:Link(scene)
        end
        local light = CxLight:new()
        light:SetType(3)
        light:SetDirection(layout.light[1], layout.light[2], layout.light[3])
        light:SetDiffuse(255, 255, 240, 220)
        light:SetActive(1)
        scene:AddLight(light)
        Room.m_cLight = light
        SetGlobalAmbientLight(120, 118, 125, 255)
        if pet then pet:Link(scene) end
        for _, t in pairs(gToys or {}) do
            t:SetVisible(0)
            if t.Reset then t:Reset(0, 0, 0) end
        end
        if UnRegisterToy then UnRegisterToy() end
        if RemoveToyFromPhysics then RemoveToyFromPhysics() end
        toy = nil
    end
    if SetCameraUp then
        SetCameraUp(0, 1, 0)
        SetCameraPosition(layout.eye[1], layout.eye[2], layout.eye[3])
        SetCameraLookAt(layout.target[1], layout.target[2], layout.target[3])
        KeepToysInSight(layout)
    end
    if pet then
        pet:SetPosition(layout.cat[1], layout.cat[2], layout.cat[3])
        -- facing the player
        local p = layout.player
        PetAI.FaceTowards(p[1], p[2])
        PetAI.tThinkFunc.Reset()
        PetAI.tThinkFunc.StartUp()
    end
    UpdateHouseText(true)
end

function NextHouseRoom(step)
    local n = (Room.m_nCurRoom or 2) + step
    if n < 1 then n = #HOUSE_ROOMS elseif n > #HOUSE_ROOMS then n = 1 end
    if ButtonClick then ButtonClick() end
    ShowHouseRoom(n)
end

-- ------------------------------------------------------------- the overlay

local function MakeText(x, y, w, h, flags)
    if not CxDrawText or not Room.this then return nil end
    local text = CxDrawText()
    text:Create(x, y, w, h, 0)
    text:SetColor(0xFFFFFFF0)
    -- an opaque ground: the overlay keeps what was drawn, so a shorter
    -- text must cover the longer one before it
    text:SetBkColor(0xFF2A2438)
    text:SetPointSize(15)
    if flags then text:SetFlags(flags) end
    text:Link(Room.this)
    text:Paint(x, y)
    return text
end

function UpdateHouseText(now)
    local tick = PetAI.now or 0
    local last = Room.m_nTextTick or -TEXT_EVERY_MS
    if not now and tick >= last and tick - last < TEXT_EVERY_MS then return end
    Room.m_nTextTick = tick
    local line = PetAI.NeedsText()
    local money = string.format("$%d", GetPlayerMoney and GetPlayerMoney() or 0)
    local place = HOUSE_ROOM_NAMES[Room.m_nCurRoom or 2]
    if Room.m_cNeedsText then Room.m_cNeedsText:SetString(line) end
    if Room.m_cMoneyText then Room.m_cMoneyText:SetString(money) end
    local doing = PetAI.DoingText()
    if Room.m_cPlaceText then Room.m_cPlaceText:SetString(place) end
    if Room.m_cDoingText then Room.m_cDoingText:SetString(doing) end
    Room.m_szNeedsLine, Room.m_szMoney, Room.m_szPlace, Room.m_szDoing = line, money, place, doing
end

-- ------------------------------------------------------------- toys and tools

-- A toy button: the toy comes to the pointer.
function HouseGrabToy(name)
    local t = gToys and gToys[name]
    if not t then return end
    if ButtonClick then ButtonClick() end
    HouseSetTool(nil)
    toy = t
    if t.Reset then t:Reset(0, 0, 0) end
    t:SetVisible(1)
    if GrabToy then GrabToy(t) end
end

-- The brush, the shampoo and the shower: strokes on the cat become
-- brushing, lathering or rinsing; with the spray bottle a click on the cat
-- sprays it.  A tool stays in hand until its button is pressed again or
-- the right button is clicked.
local TOOL_CURSORS = {
    BRUSHING = "SetBrushCursor", BATHTUB = "SetShampooCursor",
    SHOWER = "SetShowerCursor", SPRAY = "SetSprayCursor",
}

function HouseSetTool(tool)
    if tool ~= nil and PetAI.mode == tool then tool = nil end
    PetAI.SetMode(tool)
    -- while the spray is in hand a press on the cat is only a click: the
    -- room starts no petting while it scolds, and the squirt comes with
    -- the click (Room.OnClickedObject), not with a poke or a push
    Room.m_bScolding = (tool == "SPRAY")
    local setCursor = tool and _G[TOOL_CURSORS[tool] or ""]
    if setCursor then setCursor()
    elseif RevertToDefaultCursor then RevertToDefaultCursor() end
end

local function HideToy()
    if toy then toy:SetVisible(0) end
    if RemoveToyFromPhysics then RemoveToyFromPhysics() end
    toy = nil
end

function Room.TreatPet()
    PetAI.EatTreat()
    HideToy()
end

function Room.PutTreatBack()
    if not toy then return end
    local x, z = PetAI.KeepOnFloor(0, 0)
    if MouseToToy then
        -- the floor under the pointer: the ray from the eye through the
        -- point the pointer holds in the air, down to y = 0
        local mx, my, mz = MouseToToy()
        local ex, ey, ez = mx, my + 1, mz
        if GetCameraPosition then ex, ey, ez = GetCameraPosition() end
        if ey > my + 1e-3 then
            local t = ey / (ey - my)
            mx, mz = ex + t * (mx - ex), ez + t * (mz - ez)
        end
        x, z = PetAI.KeepOnFloor(mx, mz)
    end
    -- not under the furniture, where the player could not see it eaten
    x, z = PetAI.ClearOfFurniture(x, z)
    if toy.Reset then toy:Reset(x, 0, z) else toy:SetPosition(x, 0, z) end
    toy:SetVisible(1)
    local treat = toy
    PetAI.GoToTreat(x, z, function()
        treat:SetVisible(0)
        if toy == treat then toy = nil end
    end)
end

function Room.OnGrabToy()
    -- the cat looks up at what the player holds
    if pet and DoEvent and not (PetAI.activity == "SLEEP") then
        local x, y, z = GetCameraPosition()
        DoEvent(string.format("%s.FacePosition(%.3f,%.3f,%.3f,%.3f)", PET_EVENT_NAME, 3.0, x, y, z), pet:GetChannel())
    end
end

function Room.OnUnGrabToy() end

-- ------------------------------------------------------------- the cat

function Room.OnPokePet(part) PetAI.OnPokePet(part) end
function Room.OnStartPetting(part, changed) PetAI.OnStartPetting(part, changed) end
function Room.OnEndPetting(part, ms, changed) PetAI.OnEndPetting(part, ms, changed) end
function Room.OnPushPet(part, direction) PetAI.OnPushPet(part, direction) end

function Room.OnClickedObject(name, isPet)
    if isPet and PetAI.mode == "SPRAY" then
        PetAI.Sprayed()
    elseif isPet then
        PetAI.WakeUp()
    elseif name == "Pet Bed" and pet and gHouseRoom then
        -- an invitation to nap
        for _, prop in ipairs(gHouseRoom.props) do
            if prop.name == name and prop.spot then PetAI.GoAndDo("LIE", prop.spot[1], prop.spot[2], "LieIdle") end
        end
    end
end

function Room.OnRButtonDown(x, y)
    if PetAI.mode then HouseSetTool(nil) end
end

local function HouseTick(ms)
    PetAI.tThinkFunc.Tick(ms)
    UpdateHouseText(false)
end

function Room.OnTick(ms)
    Room.m_bHostTicks = true
    HouseTick(ms)
end

function Room.OnTimer(id)
    if id == TICK_TIMER and not Room.m_bHostTicks and QorGetTickCount then HouseTick(QorGetTickCount()) end
end

-- ------------------------------------------------------------- coming and going

-- The pet to show: the registered one, else the one chosen in the load
-- menu or the last one played, else a new kitten.
function HouseEnsurePet()
    if pet then return pet end
    local path = PetToLoad(Room)
    if path and LoadPet(path) then return pet end
    return NewPet("Abyssinian")
end

function Room.OnStartRoom()
    if RoomMusic then RoomMusic("house.mp3") end
    HouseEnsurePet()
    gPetInHouse = true
    MakeToys(Room.m_cSceneManager)
    Room.m_cNeedsText = MakeText(12, 6, 680, 24)
    Room.m_cMoneyText = MakeText(700, 6, 88, 24, 0x22)
    Room.m_cPlaceText = MakeText(52, 46, 150, 24)
    Room.m_cDoingText = MakeText(250, 46, 440, 24)
    ShowHouseRoom(Room.m_nCurRoom or 2)
    -- a plain 3D room has no tick of its own (the pet room's house
    -- registers the tool cursors and calls Room.OnTick)
    if Room.SetTimer and not SetBrushCursor then Room.SetTimer(TICK_TIMER, 50, 0) end
end

-- Leaving keeps the pet (the menus show it) and saves it.
function HouseSavePet()
    if gPet and gPet.name ~= "" then SavePet() end
end

function Room.OnStopRoom()
    if Room.KillTimer then Room.KillTimer(TICK_TIMER) end
    HouseSavePet()
    gPetInHouse = false
    HouseSetTool(nil)
    if UnRegisterToy then UnRegisterToy() end
    if RemoveToyFromPhysics then RemoveToyFromPhysics() end
    toy = nil
    PetAI.tThinkFunc.Forget()
    ClearScene()
    for _, t in pairs(gToys or {}) do t:UnLoad() end
    gToys = nil
    gHouseRoom = nil
end

