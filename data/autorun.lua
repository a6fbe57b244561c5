-- Run before the rooms exist.  The pet scripts replace UnLoadPet once there
-- is a pet; until then there is nothing to unload at the end of a run.
function UnLoadPet() end

-- The game's sounds and music are made at build time under generated/.
SOUND_PATH = "generated/Sounds/"
MUSIC_PATH = "generated/Music/"

-- Buttons click when pressed and tick when the pointer comes over them.
function ButtonClick() PlaySound(SOUND_PATH .. "button.wav") end
function ButtonHover() PlaySound(SOUND_PATH .. "hover.wav") end

-- A room's music: the piece that is already playing carries on.
function RoomMusic(name)
    if gRoomMusic == name and IsMusicPlaying() then return end
    gRoomMusic = name
    StartMusic(MUSIC_PATH .. name, -1)
end
