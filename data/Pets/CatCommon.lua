-- What every cat shares: the model, the clips under the names the PetAI
-- plays, and the making of the pet and its state.  A breed's script gives
-- only its coat, temperament and likes.

CAT_MODEL = "generated/cat/cat.glb"
CAT_ANIM_PATH = "generated/cat/anim/"

-- Clip name used by the scripts -> file in the clip folder.
CAT_CLIPS = {
    Idle = "idle", Idle2 = "idle2", Breathe = "breathe", LookAround = "look_around",
    Walk = "walk", Trot = "trot", Run = "run",
    TurnNinetyLeft = "turn_left", TurnNinetyRight = "turn_right",
    SitDown = "sit_down", SitIdle = "sit_idle", StandUp = "stand_up",
    LieDown = "lie_down", LieIdle = "lie_idle", Sleep = "sleep", WakeUp = "wake_up",
    Stretch = "stretch", Yawn = "yawn", Groom = "groom", Eat = "eat", Drink = "drink",
    Purr = "purr", HeadRub = "head_rub", Meow = "meow", Hiss = "hiss", Startle = "startle",
    StumbleFront = "stumble_front", StumbleBack = "stumble_back",
    StumbleLeft = "stumble_left", StumbleRight = "stumble_right",
    Pounce = "pounce", Bat = "bat", JumpUp = "jump_up", JumpDown = "jump_down",
    RollOver = "roll_over", Beg = "beg", Wave = "wave", Spin = "spin", Bow = "bow",
}

-- The event creator name the pet answers to ("pet.WalkToPosition(...)").
PET_EVENT_NAME = "pet"

-- Makes the global `pet` of the breed and its fresh state `gPet`.
-- `tBreed` = { breed, coat, temperament = {...}, likes = {...} }.
function CreateCatPet(tBreed)
    local class = CPet or Cx3DObject
    pet = class:new()
    pet:LoadModel(CAT_MODEL)
    pet:SetTexture(tBreed.coat or ("generated/cat/cat_" .. tBreed.breed .. ".tga"))
    pet:SetMaterialDiffuse(1.0, 1.0, 1.0, 1.0)
    pet:SetMaterialAmbient(0.5, 0.5, 0.5, 1.0)
    pet:SetName("Pet")
    for name, file in pairs(CAT_CLIPS) do
        pet:LoadAnim(name, CAT_ANIM_PATH .. file .. ".glb", "")
    end
    pet:RegisterEventName(PET_EVENT_NAME)
    gPet = NewPetState(tBreed.breed)
    gPetBreedInfo = tBreed
    return pet
end
