-- The pet's keeping: a new pet of each breed, a save and a load that give
-- back everything, names that must not break the file or its name.
gScratchName = "pet_storage"
dofile("support/standins.lua")
dofile("Pets/StorageFunc.lua")

-- Every breed makes a registered pet with its own coat and every clip the
-- menu rooms and the turn events ask for.
for _, breed in ipairs(gBreeds) do
    ClearCalls()
    local made = NewPet(breed)
    assert(made == pet and gRegistered == pet, breed)
    assert(gszBreed == "PETS/cat_" .. breed .. ".lua")
    assert(pet.texture == "generated/cat/cat_" .. breed .. ".tga", pet.texture)
    assert(pet.anims.SitIdle and pet.anims.TurnNinetyLeft and pet.anims.TurnNinetyRight, breed)
    for name, file in pairs(pet.anims) do
        assert(QorFileExists(file), name .. " -> missing clip " .. file)
    end
    assert(GetPetBreed() == breed and gPet.needs.hunger ~= nil)
end
-- Making a new pet unloads the one before.
local previous = pet
NewPet("Abyssinian")
assert(previous.unloaded and not pet.unloaded)
-- An unknown breed still gives a pet, never nothing.
assert(NewPet("Sphinx") ~= nil and GetPetBreed() == "Bengal")

-- Save then load: name, breed, money, needs, tricks, inventory, photos.
NewPet("Snowpoint")
SetPetName("Mittens")
gPet.money = 321
gPet.needs = { hunger = 12.5, energy = 77, fun = 3, affection = 99, cleanliness = 41.25 }
gPet.tricks = {"Sit", "Wave"}
gPet.inventory = { { tab = "Toys", item = "Ball" }, { tab = "Food", item = "Treat, large" } }
gPet.photos = {"<AppData>photo1.qor"}
local path = SavePet()
assert(path == "<AppData>pet_Mittens.sav", path)
assert(QorFileExists(path))
assert(qor.options:GetString("Tolu", "LastPet") == path)
-- The load menu reads these keys itself.
local o = CxOptions()
assert(o:Open(path) == 0)
assert(o:GetString("Pet", "Breed") == "Snowpoint" and o:GetString("Pet", "Name") == "Mittens")
assert(o:GetInt("Pet", "Money", 0) == 321)

UnLoadPet()
assert(pet == nil and gPet == nil and gRegistered == nil and GetPetName() == "")
assert(LoadPet(path) == true)
assert(gRegistered == pet and GetPetName() == "Mittens" and GetPetBreed() == "Snowpoint")
assert(gPet.money == 321)
for need, value in pairs({ hunger = 12.5, energy = 77, fun = 3, affection = 99, cleanliness = 41.25 }) do
    assert(math.abs(gPet.needs[need] - value) < 1e-3, need .. " " .. gPet.needs[need])
end
assert(#gPet.tricks == 2 and gPet.tricks[2] == "Wave")
assert(#gPet.inventory == 2 and gPet.inventory[2].tab == "Food" and gPet.inventory[2].item == "Treat, large")
assert(gPet.photos[1] == "<AppData>photo1.qor")

-- A missing save loads nothing and keeps the current pet.
assert(LoadPet("<AppData>pet_nobody.sav") == false and GetPetName() == "Mittens")
assert(LoadPet(nil) == false)

-- Names with quotes, slashes, dots and a comment sign: the file stays in the
-- save folder under a name of safe characters, and the name comes back.
local awkward = { [[O'Malley "the cat"]], "../../etc/passwd", [[back\slash]], "a_b", "a b", "semi;colon" }
local seen = {}
for _, name in ipairs(awkward) do
    NewPet("Bengal")
    SetPetName(name)
    local saved = SavePet()
    assert(saved, name)
    local file = string.sub(saved, #"<AppData>" + 1)
    assert(string.match(file, "^pet_[%w%-_]+%.sav$"), file)
    assert(not seen[saved], "two names share " .. saved)
    seen[saved] = true
    assert(LoadPet(saved) and GetPetName() == CleanPetName(name), name .. " -> " .. GetPetName())
end
-- What an options file cannot hold is dropped from a name, nothing else.
assert(CleanPetName("semi;colon") == "semicolon")
assert(CleanPetName("  two\nlines\r ") == "twolines")
assert(#CleanPetName(string.rep("x", 100)) == PET_NAME_MAX)
-- "a_b" and "a b" would collide if unsafe bytes were only replaced.
assert(PetSaveFileName("a_b") ~= PetSaveFileName("a b"))

-- A hand-edited save with out-of-range values loads in range.
local bad = CxOptions()
bad:Create("<AppData>pet_bad.sav")
bad:SetString("Pet", "Breed", "Nonsense")
bad:SetString("Pet", "Name", "Bad")
bad:SetInt("Pet", "Money", -50)
bad:SetString("Needs", "hunger", "250")
bad:SetString("Needs", "fun", "-7")
bad:SetInt("Tricks", "Count", 100000)
assert(bad:Save() == 0)
assert(LoadPet("<AppData>pet_bad.sav"))
assert(GetPetBreed() == "Bengal" and gPet.money == 0 and gPet.needs.hunger == 100 and gPet.needs.fun == 0)
assert(#gPet.tricks == 0)

UnLoadPet()
RemoveScratch()
print("pet storage: ok")
