-- The Bengal: restless and curious, always ready for a chase; loves its
-- head and chin stroked, puts up with brushing, hates the bath.
dofile("Pets/CatCommon.lua")
CreateCatPet({
    breed = "Bengal",
    coat = "generated/cat/cat_Bengal.tga",
    -- 0..1: activity (wants to move and play), sociability (seeks the
    -- player), patience (how long a disliked touch is borne), tidiness
    -- (grooms itself), appetite.
    temperament = { activity = 0.9, sociability = 0.55, patience = 0.35, tidiness = 0.5, appetite = 0.7 },
    -- -1 hates .. +1 loves; body parts, then the care tools, then toys.
    likes = {
        Head = 1.0, Chin = 0.8, Back = 0.4, Belly = -0.7, Tail = -0.9, Legs = -0.3,
        brushing = 0.3, bathing = -0.8,
        toys = { Ball = 1.0, Treat = 0.8 },
    },
})
