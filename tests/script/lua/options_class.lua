-- The CxOptions script class: instances, subclasses and boundary errors.

local o = CxOptions()
local p = CxOptions:new()
assert(o.super == CxOptions and p.super == CxOptions and o.__object ~= p.__object)

o:SetString("Pet", "Name", "Whiskers")
o:SetInt("Pet", "Lives", 9)
assert(o:GetString("pet", "name") == "Whiskers")
assert(o:GetInt("Pet", "Lives", 0) == 9)
assert(o:GetString("Pet", "None") == "" and o:GetString("Pet", "None", "d") == "d")
assert(CxOptions.GetString(o.__object, "Pet", "Name") == "Whiskers")

-- A script class derived from the engine class keeps the engine methods.
Settings = CxOptions:SubClass()
function Settings:Describe() return self:GetString("Pet", "Name") .. "/" .. self:GetInt("Pet", "Lives", 0) end
local s = Settings()
s:SetString("Pet", "Name", "Tom")
s:SetInt("Pet", "Lives", 3)
assert(s:Describe() == "Tom/3" and s.super == Settings)

-- Wrong types are refused: no conversion between numbers and strings.
local ok, message = pcall(o.GetString, o, 5, "k")
assert(not ok and message:find("bad argument", 1, true), message)
ok, message = pcall(o.GetInt, o, "Pet", "Lives", "0")
assert(not ok and message:find("bad argument #4", 1, true), message)
ok, message = pcall(o.Save, {})
assert(not ok and message == "The table does not have a userdata member called __object.", message)
ok, message = pcall(o.Save, true)
assert(not ok and message:find("must be userdata or a table with a userdata member called __object", 1, true))

-- Dropped instances are collected without disturbing the live ones.
for i = 1, 200 do CxOptions():SetInt("S", "i", i) end
collectgarbage("collect")
assert(o:GetInt("Pet", "Lives", 0) == 9)
