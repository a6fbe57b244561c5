-- The Snowpoint: calm and dignified, a great sleeper and a fastidious
-- groomer; adores brushing, is patient with its belly, strangely fond of
-- water.
dofile("Pets/CatCommon.lua")
CreateCatPet({
    breed = "Snowpoint",
    coat = "generated/cat/cat_Snowpoint.tga",
    temperament = { activity = 0.35, sociability = 0.7, patience = 0.85, tidiness = 0.9, appetite = 0.5 },
    likes = {
        Head = 0.8, Chin = 0.9, Back = 0.9, Belly = 0.2, Tail = -0.5, Legs = -0.1,
        brushing = 1.0, bathing = 0.4,
        toys = { Ball = 0.5, Treat = 0.9 },
    },
})
