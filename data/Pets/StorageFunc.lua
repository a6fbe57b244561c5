-- The pet and its keeping: making a new pet of a breed, naming it, saving it
-- to "<AppData>pet_<name>.sav" and bringing it back.  The save is an options
-- file; [Pet] Breed, Name and Money are what the load menu shows, the other
-- sections are the pet scripts' own state.  Run again by every room that
-- needs it: it defines functions and keeps the current pet.

-- The tuning tables once: the house changes `physics.yard` as it goes.
if not globals then dofile("COMMON/globals.lua") end
dofile("Pets/CatCommon.lua")
dofile("Pets/PetAI.lua")

gBreeds = {"Bengal", "Abyssinian", "Snowpoint"}

NEED_NAMES = {"hunger", "energy", "fun", "affection", "cleanliness"}
PET_NAME_MAX = 24
PET_SAVE_PREFIX = "<AppData>pet_"

function IsBreed(breed)
    for _, known in ipairs(gBreeds) do
        if known == breed then return true end
    end
    return false
end

-- A fresh state for a pet just adopted.
function NewPetState(breed)
    return {
        breed = breed, name = "", money = 100,
        needs = { hunger = 30, energy = 80, fun = 60, affection = 50, cleanliness = 90 },
        tricks = {}, inventory = {}, photos = {},
    }
end

-- Unloads the current pet, runs the breed's script (which makes the global
-- `pet` and the state `gPet`) and registers the pet with the rooms.
function NewPet(breed)
    if not IsBreed(breed) then
        print("NewPet: unknown breed " .. tostring(breed) .. ", a Bengal instead")
        breed = gBreeds[1]
    end
    UnLoadPet()
    gszBreed = "PETS/cat_" .. breed .. ".lua"
    dofile(gszBreed)
    if pet and RegisterPet then RegisterPet(pet) end
    if PetAI and PetAI.tThinkFunc then PetAI.tThinkFunc.Reset() end
    return pet
end

-- Quitting from the house unloads the pet before the room stops, so the
-- house's save happens here then.
function UnLoadPet()
    if gPetInHouse and HouseSavePet then HouseSavePet() end
    if PetAI and PetAI.tThinkFunc then PetAI.tThinkFunc.Forget() end
    if pet then
        if UnRegisterPet then UnRegisterPet() end
        pet:UnLoad()
    end
    pet = nil
    gPet = nil
end

-- A name is kept as the player typed it, less what an options file cannot
-- hold in a value: control characters (a line break would start a new key)
-- and ';' (it starts a comment); blanks at either end are read back trimmed
-- anyway.  Long names are cut.
function CleanPetName(name)
    name = string.gsub(tostring(name or ""), "[%c;]", "")
    name = string.gsub(name, "^%s+", "")
    name = string.gsub(name, "%s+$", "")
    if #name > PET_NAME_MAX then name = string.sub(name, 1, PET_NAME_MAX) end
    return name
end

function SetPetName(name)
    if gPet then gPet.name = CleanPetName(name) end
end

function GetPetName() return gPet and gPet.name or "" end
function GetPetBreed() return gPet and gPet.breed or "" end

-- Money, for the score area and the store.
function PrivateGetPlayerMoney() return gPet and gPet.money or 0 end
function PrivateSetPlayerMoney(amount)
    if gPet then gPet.money = math.max(0, math.floor(tonumber(amount) or 0)) end
end
GetPlayerMoney = GetPlayerMoney or PrivateGetPlayerMoney
SetPlayerMoney = SetPlayerMoney or PrivateSetPlayerMoney

-- The save's file name from the pet's name: letters, digits and '-' stand
-- as they are; every other byte becomes '_' and its two hex digits, so no
-- name reaches outside the save folder or needs quoting, and two names
-- never share a file.
function PetSaveFileName(name)
    local safe = string.gsub(name or "", "[^%w%-]", function(c)
        return string.format("_%02X", string.byte(c))
    end)
    if safe == "" then safe = "_" end
    return PET_SAVE_PREFIX .. safe .. ".sav"
end

local function WriteList(o, section, list)
    o:SetInt(section, "Count", #list)
    for i, value in ipairs(list) do o:SetString(section, "Item" .. i, tostring(value)) end
end

local function ReadList(o, section)
    local list = {}
    local count = o:GetInt(section, "Count", 0)
    for i = 1, math.min(count, 1000) do
        local value = o:GetString(section, "Item" .. i, "")
        if value ~= "" then list[#list + 1] = value end
    end
    return list
end

-- Writes the pet and remembers it as the last pet; returns the path, or
-- nil when there is no pet or the file could not be written.
function SavePet()
    if not gPet then return nil end
    local path = PetSaveFileName(gPet.name)
    local o = CxOptions()
    o:Create(path)
    o:SetString("Pet", "Breed", gPet.breed)
    o:SetString("Pet", "Name", gPet.name)
    o:SetInt("Pet", "Money", math.floor(gPet.money))
    for _, need in ipairs(NEED_NAMES) do
        o:SetFloat("Needs", need, gPet.needs[need] or 0)
    end
    WriteList(o, "Tricks", gPet.tricks)
    local items = {}
    for _, entry in ipairs(gPet.inventory) do items[#items + 1] = entry.tab .. "," .. entry.item end
    WriteList(o, "Inventory", items)
    WriteList(o, "Photos", gPet.photos)
    o:SetInt("Pet", "Saved", QorGetTimeSeconds and QorGetTimeSeconds() or 0)
    -- The save folder is made by the game at its start; a first save from
    -- anywhere else must not fail for want of it.
    if QorFileCreateDirectory then QorFileCreateDirectory("<AppData>") end
    if o:Save() ~= 0 then
        print("SavePet: could not write " .. path)
        return nil
    end
    if qor and qor.options then
        qor.options:SetString("Tolu", "LastPet", path)
        qor.options:Save()
    end
    gszLoadPet = path
    return path
end

local function Clamp(value, low, high) return math.max(low, math.min(high, value)) end

-- Makes the pet of a save again; false when the file is missing.  Values
-- out of range (a hand-edited file) are brought back in range.
function LoadPet(path)
    if type(path) ~= "string" or path == "" or not QorFileExists(path) then return false end
    local o = CxOptions()
    if o:Open(path) ~= 0 then return false end
    local breed = o:GetString("Pet", "Breed", "Bengal")
    if not IsBreed(breed) then breed = gBreeds[1] end
    if not NewPet(breed) or not gPet then return false end
    gPet.name = CleanPetName(o:GetString("Pet", "Name", ""))
    gPet.money = math.max(0, o:GetInt("Pet", "Money", 0))
    for _, need in ipairs(NEED_NAMES) do
        local value = o:GetFloat("Needs", need, gPet.needs[need])
        if value ~= value then value = gPet.needs[need] end   -- NaN
        gPet.needs[need] = Clamp(value, 0, 100)
    end
    gPet.tricks = ReadList(o, "Tricks")
    gPet.inventory = {}
    for _, entry in ipairs(ReadList(o, "Inventory")) do
        local tab, item = string.match(entry, "^([^,]*),(.*)$")
        if tab then gPet.inventory[#gPet.inventory + 1] = { tab = tab, item = item } end
    end
    gPet.photos = ReadList(o, "Photos")
    o:Close()
    gszLoadPet = path
    if qor and qor.options then qor.options:SetString("Tolu", "LastPet", path) end
    return true
end

-- The pet the house should show when none is registered: the one the load
-- menu chose, the one asked for at start, or the last one played.
function PetToLoad(room)
    if room and type(room.selected_pet) == "string" and room.selected_pet ~= "" then return room.selected_pet end
    if type(gszLoadPet) == "string" and gszLoadPet ~= "" then return gszLoadPet end
    if qor and qor.options then
        local last = qor.options:GetString("Tolu", "LastPet", "")
        if last ~= "" then return last end
    end
    return nil
end
