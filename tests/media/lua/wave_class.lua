-- The CxWave class and the global sound functions as scripts see them, in
-- the headless runner: no sound system runs, so nothing is heard and the
-- music functions act on no music.
local w = CxWave()
w:SetChannel(3)
w:SetNumLoops(4)
w:SetType(7)
w:SetUserInfo(11)
w:SetID(12)
w:SetVol(500)                        -- volumes stop at 127
w:SetFlags(0x19)                     -- 0x08 is the engine's own
assert(w:GetChannel() == 3 and w:GetNumLoops() == 4)
assert(w:GetType() == 7 and w:GetUserInfo() == 11 and w:GetID() == 12)
assert(w:GetVol() == 127)
assert(w:GetFlags() == 0x11)
assert(w:IsLoaded() == 0 and w:IsPlaying() == 0 and w:IsQueued() == 0)
w:SetFileName("Sounds/none.wav")
assert(w:GetFileName() == "Sounds/none.wav")
assert(w:GetSampleSize() == 0)
w:SetSampleRate(11025)
assert(w:GetSampleRate() == 11025)

local ok = pcall(function() w:SetNumLoops("many") end)
assert(not ok, "numbers are required")

SetMusicVolume(300)
assert(GetMusicVolume() == 127)
assert(not IsMusicPlaying())
SetMasterVolume(90)
assert(GetMasterVolume() == -1)      -- no driver
FlushSoundCache()
