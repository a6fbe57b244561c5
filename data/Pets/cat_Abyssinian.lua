-- The Abyssinian: friendly and people-minded, a steady player; likes
-- being brushed, will tolerate a bath, doesn't mind a hand on its back.
dofile("Pets/CatCommon.lua")
CreateCatPet({
    breed = "Abyssinian",
    coat = "generated/cat/cat_Abyssinian.tga",
    temperament = { activity = 0.65, sociability = 0.9, patience = 0.6, tidiness = 0.6, appetite = 0.6 },
    likes = {
        Head = 0.9, Chin = 1.0, Back = 0.7, Belly = -0.4, Tail = -0.6, Legs = -0.2,
        brushing = 0.8, bathing = -0.2,
        toys = { Ball = 0.8, Treat = 1.0 },
    },
})
