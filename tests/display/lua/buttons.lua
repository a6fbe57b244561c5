-- Buttons from scripts: styles, state maps, checks kept through disabling,
-- radio groups keeping one button checked, and script subclasses of buttons.
local group = CxRadioGroup()
group:Create(0, 0, 300, 40)
group:LinkRoot()
group:Paint(0, 0)

local radios = {}
for i = 1, 3 do
    local r = CxRadioButton()
    assert(r:GetStyle() == 1)
    r:Link(group)
    r:Paint((i - 1) * 50, 0)
    radios[i] = r
end
radios[1]:SetCheck(1)
radios[3]:SetCheck(true)                          -- the group unchecks the first
assert(radios[1]:GetCheck() == 0 and radios[3]:GetCheck() == 1)
assert(radios[3]:GetState() == 1)

group:Disable()
assert(radios[2]:IsEnabled() == 0 and radios[3]:GetState() == 4)
group:Enable()
assert(radios[3]:GetState() == 1 and radios[2]:GetState() == 0)

local box = CxCheckButton()
assert(box:GetStyle() == 2 and box:IsType(9) == 1)
box:LinkRoot()
assert(box:LoadSurface("four_frames.tga", 4) == 0)
box:SetStateMap({3, 2, 1, 0, 0})
box:SetCheck(1)
assert(box:GetCurFrame() == 2, "frame " .. box:GetCurFrame())
box:Disable()
assert(box:GetCurFrame() == 0)
box:Enable()
assert(box:GetState() == 1 and box:GetCheck() == 1)

local ok, message = pcall(box.SetStateMap, box, {1, "two"})
assert(not ok and message:find("entry 2"), message)

-- A script button class: its own fields come first, the engine's after.
LuaButton = CxButton:SubClass()
function LuaButton:Press() self:SetState(3) return self:GetState() end
local b = LuaButton()
assert(b:Press() == 3 and b:GetStyle() == 0)
assert(b:GetNumFrames() == 1)
print("buttons: ok")
