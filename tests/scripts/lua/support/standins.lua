-- Stand-ins for what the game's engine gives the pet scripts, recording
-- what the scripts ask of them, so tests can run the shipped scripts
-- headless.  The data folder is reached through a file system of its own;
-- saves go to a scratch folder mounted as <AppData>.

-- A folder named for a new file system is looked up through the file
-- systems already there, so the scratch folder is made here first and then
-- named from the data folder.
-- Each test names its own (gScratchName): the tests run side by side, and
-- an unseeded random number is the same in every one of them.
gScratch = "scratch_" .. assert(gScratchName, "set gScratchName before the stand-ins")
assert(QorFileCreateDirectory(gScratch) == 0 or QorFileIsDirectory(gScratch))
NewFileSystem("<Data>", "../../../data")
NewFileSystem("<AppData>", "../tests/scripts/lua/" .. gScratch)
function RemoveScratch()
    qor.options:Save()
    qor.options:Close()
    RemoveFileSystem("<AppData>")
    RemoveFileSystem("<Data>")
    QorFileRemoveDirectoryTree(gScratch)
end

gCalls = {}        -- every recorded call, in order: {what, args...}
gNow = 0           -- the stand-in clock (ms)
function Record(what, ...) gCalls[#gCalls + 1] = {what, ...} end
function ClearCalls() gCalls = {} end
function Called(what, first)
    for _, call in ipairs(gCalls) do
        if call[1] == what and (first == nil or call[2] == first) then return call end
    end
    return nil
end
function CountCalls(what, first)
    local n = 0
    for _, call in ipairs(gCalls) do
        if call[1] == what and (first == nil or call[2] == first) then n = n + 1 end
    end
    return n
end

-- A 3D object that remembers its placement and the clips it plays.
StandInObject = {}
StandInObject.__index = StandInObject
function StandInObject:new()
    return setmetatable({ pos = {0, 0, 0}, fwd = {0, 0, -1}, anims = {}, name = "", visible = 1, state = 0 }, StandInObject)
end
function StandInObject:LoadModel(file) self.model = file end
function StandInObject:SetTexture(file) self.texture = file end
function StandInObject:LoadAnim(name, file) self.anims[name] = file; return 0 end
function StandInObject:SetMaterialDiffuse() end
function StandInObject:SetMaterialAmbient() end
function StandInObject:SetName(name) self.name = name end
function StandInObject:GetName() return self.name end
function StandInObject:RegisterEventName(name) self.eventName = name end
function StandInObject:GetChannel() return 7 end
function StandInObject:Link(parent) self.parent = parent end
function StandInObject:UnLink() self.parent = nil end
function StandInObject:SetVisible(v) self.visible = v end
function StandInObject:IsVisible() return self.visible end
function StandInObject:SetPosition(x, y, z) self.pos = {x, y, z} end
function StandInObject:GetPosition() return self.pos[1], self.pos[2], self.pos[3] end
function StandInObject:GetForwardVector() return self.fwd[1], self.fwd[2], self.fwd[3] end
function StandInObject:RotateXZ(a)
    local c, s = math.cos(a), math.sin(a)
    local x, z = self.fwd[1], self.fwd[3]
    self.fwd = {c * x + s * z, 0, -s * x + c * z}
end
function StandInObject:FacePoint(x, y, z)
    local dx, dz = x - self.pos[1], z - self.pos[3]
    local l = math.sqrt(dx * dx + dz * dz)
    if l > 0 then self.fwd = {dx / l, 0, dz / l} end
end
function StandInObject:SetScale() end
function StandInObject:GetAnimDuration(name) return self.anims[name] and 1.0 or 0 end
for _, method in ipairs({"BlendIn", "BlendOut", "BlendOutAll", "PlayAnim", "PlayOnce", "PlayInfinite",
                         "StopAnim", "StopAll", "SetAnimWeight", "SetAnimLoopCount"}) do
    StandInObject[method] = function(self, ...)
        if self == pet then Record(method, ...) end
    end
end
function StandInObject:UnLoad() self.unloaded = true; Record("UnLoad", self.name) end
-- Toy physics: the state and the calls that change it.
function StandInObject:GetState() return self.state end
function StandInObject:SetState(s) self.state = s end
function StandInObject:IsFlying() return self.state == 1 and 1 or 0 end
function StandInObject:IsOnGround() return self.state == 3 and 1 or 0 end
function StandInObject:Reset(x, y, z) self.pos = {x, y, z}; self.state = 0 end
function StandInObject:Throw(vx, vy, vz) self.state = 1; Record("Throw", self.name, vx, vy, vz) end
function StandInObject:ThrowNoSpin(vx, vy, vz) self.state = 1; Record("Throw", self.name, vx, vy, vz) end
function StandInObject:Update() end
function StandInObject:EnableCollisions() end
function StandInObject:DisableCollisions() end

CPet = { new = function() return StandInObject:new() end }
Cx3DObject = CPet
C3DPhysicsObject = CPet

function RegisterPet(p) gRegistered = p; Record("RegisterPet") end
function UnRegisterPet() gRegistered = nil; Record("UnRegisterPet") end
function PlaySound(file) Record("PlaySound", file) end
-- A walk event arrives at once: the pet stands at the path's last point.
function DoEvent(text, channel)
    Record("DoEvent", text, channel)
    local args = string.match(text, "^pet%.WalkToPosition%((.*)%)$")
    if args and pet and gInstantWalks then
        local words = {}
        for word in string.gmatch(args, "[^,]+") do words[#words + 1] = word end
        local n = #words
        pet:SetPosition(tonumber(words[n - 2]), tonumber(words[n - 1]), tonumber(words[n]))
    end
end
gInstantWalks = true
function IsChannelEmpty() return false end
function FlushChannel(channel) Record("FlushChannel", channel) end
function QorGetTickCount() return gNow end
function GetCameraPosition() return 0, 1.5, 2.0 end
function GetCameraTarget() return 0, 0.3, -0.5 end
function MouseToToy() return 0.3, 0.0, -0.4 end
function SetBrushCursor() Record("SetBrushCursor") end
function SetShampooCursor() Record("SetShampooCursor") end
function SetShowerCursor() Record("SetShowerCursor") end
function SetSprayCursor() Record("SetSprayCursor") end
function RevertToDefaultCursor() Record("RevertToDefaultCursor") end
function GrabToy(t) Record("GrabToy", t:GetName()) end

-- The game options, as the application gives them to scripts.
qor = qor or {}
qor.options = CxOptions()
qor.options:Create("<AppData>options.ini")

-- Room as the pet room builds it.
Room = { m_nCurRoom = 2 }

-- Runs n passes of the house's tick, dt ms apart.
function RunTicks(n, dt)
    for _ = 1, n do
        gNow = gNow + dt
        Room.OnTick(gNow)
    end
end
