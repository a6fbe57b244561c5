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
    local sheet = 0xFFFCF6E2   -- the certificate's paper
    MenuLabel(MenuText("CertifyThat"), 140, 230, 520, 30, 22, 0xFF6E4628, sheet)
    MenuLabel(PetName(), 140, 270, 520, 50, 40, 0xFF402810, sheet)
    MenuLabel(MenuText("CertBreed") .. " " .. PetBreed(), 140, 330, 520, 30, 22, 0xFF6E4628, sheet)
    MenuLabel(MenuText("CertHome"), 140, 370, 520, 30, 22, 0xFF6E4628, sheet)
end

function Room.OnStopRoom()
    MenuClearLabels()
end
