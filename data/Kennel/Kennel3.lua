-- Kennel 3: the certificate.  Its button saves the new pet and takes it to
-- the house.
dofile("COMMON/menus.lua")
dofile("Pets/StorageFunc.lua")

local function PetName()
    return (GetPetName and GetPetName()) or gChosenName or ""
end

local function PetBreed()
    return (GetPetBreed and GetPetBreed()) or gChosenBreed or ""
end

function TakeKittenHome()
    if SavePet then SavePet() end
    GotoRoom("House")
end

function Room.OnStartRoom()
    RoomMusic("menu.mp3")
    print("Entered Kennel3")
    MenuLabel(MenuText("CertifyThat"), 140, 230, 520, 30, 22, 0xFF6E4628)
    MenuLabel(PetName(), 140, 270, 520, 50, 40, 0xFF402810)
    MenuLabel(MenuText("CertBreed") .. " " .. PetBreed(), 140, 330, 520, 30, 22, 0xFF6E4628)
    MenuLabel(MenuText("CertHome"), 140, 370, 520, 30, 22, 0xFF6E4628)
end

function Room.OnStopRoom()
    MenuClearLabels()
end
