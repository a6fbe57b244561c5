-- Display objects and sprites from scripts: the class chain, placing and
-- linking, the global PaintSprite/EraseSprite, argument checks, and objects
-- that the collector deletes leaving the tree behind.
local panel = CxDisplayObject()
assert(panel.super == CxDisplayObject)
panel:Create(100, 50, 200, 100, 7)
panel:LinkRoot()
panel:Paint(100, 50)
assert(panel:IsVisible() == 1 and panel:GetControlID() == 7)
local w, h = panel:GetSize()
assert(w == 200 and h == 100)

local sprite = CxSprite:new()
assert(sprite:IsType(1) == 1 and panel:IsType(1) == 0)
assert(sprite:LoadSurface("four_frames.tga", 4) == 0)
assert(sprite:GetNumFrames() == 4 and sprite:GetWidth() == 10)
sprite:Link(panel)
PaintSprite(sprite, 20, 30)
local x, y = sprite:GetGlobalPosition()
assert(x == 120 and y == 80, "global " .. x .. "," .. y)
x, y = sprite:GetPosition(8)                      -- centre anchor
assert(x == 25 and y == 35)
sprite:SetCurFrame(-1)
assert(sprite:GetCurFrame() == 3)
sprite:NextFrame()
assert(sprite:GetCurFrame() == 0)
assert(sprite:GetMaskColor() == -1)
sprite:Paint()                                    -- no coordinates: stays where it is
x, y = sprite:GetPosition()
assert(x == 20 and y == 30)

-- z-order: the later of two equal ones is in front; -1 reads back as -1.
local other = CxSprite()
other:Duplicate(sprite)
other:Link(panel)
other:Paint(0, 0)
other:SetZOrder(-1)
assert(other:GetZOrder() == -1)
other:PlaceInFrontOf(sprite)
assert(other:GetZOrder() == sprite:GetZOrder() - 1)
assert(panel:CountChildren(0) == 2 and panel:HasChildren() == 1)

EraseSprite(sprite)
assert(sprite:IsVisible() == 0)
assert(panel:CountChildren(2) == 1)              -- only shown children

-- Scripts derive their own classes and still reach the engine's methods.
MySprite = CxSprite:SubClass()
function MySprite:Describe() return "mine " .. self:GetName() end
local mine = MySprite()
mine:SetName("m")
assert(mine:Describe() == "mine m" and mine:GetNumFrames() == 1)

-- Wrong arguments are script errors with the scheme's texts.
local ok, message = pcall(sprite.Link, sprite, 5)
assert(not ok and message:find("bad argument"), message)
ok, message = pcall(sprite.SetName, sprite, 5)
assert(not ok and message:find("bad argument"), message)
ok, message = pcall(sprite.Duplicate, sprite, panel)
assert(not ok and message:find("CxSprite expected"), message)
ok, message = pcall(CxSprite.GetCurFrame, {})
assert(not ok and message:find("__object"), message)
assert(type(panel:GetAddress()) == "number" and panel:GetAddress() ~= sprite:GetAddress())

-- A collected object leaves its parent's child list.
other = nil
mine = nil
collectgarbage("collect")
assert(panel:CountChildren(0) == 1, "children left: " .. panel:CountChildren(0))
print("display objects: ok")
