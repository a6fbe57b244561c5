-- An animation from a script plays frames of a sprite while the runner
-- pumps the main loop; a second, stationary one never moves its sprite.
local sprite = CxSprite()
sprite:LoadSurface("four_frames.tga", 4)
sprite:LinkRoot()
sprite:Paint(10, 10)

anim = CxAnimation()
anim:SetSprite(sprite)
anim:AddPathToTail({ framerate = 50, startframe = 0, endframe = 3 })
anim:AddPathToTail({ duration = 40, zorder = 5, flags = 0x80000000 })
assert(anim:GetNumPaths() == 2)
anim:Play()
assert(anim:IsPlaying() == 1 and anim:GetCurAction() == 0)

still = CxAnimation()
still:SetSprite(sprite)
still:SetStationary(1)
still:AddPathToTail({ duration = 30 })
still:SetCurAction(4)                             -- one path: path 0
assert(still:GetCurAction() == 0)

paused = CxAnimation()
local other = CxSprite()
other:LoadSurface("four_frames.tga", 4)
paused:SetSprite(other)
paused:AddPathToTail({ framerate = 100 })
paused:Play()
paused:Pause()

local ok, message = pcall(anim.AddPathToTail, anim, { speed = "fast" })
assert(not ok and message:find("speed"), message)

DoEvent('system.Sleep(400)')                      -- keeps the main loop running

function OnScriptEnd()
    assert(sprite:GetCurFrame() == 3, "frame " .. sprite:GetCurFrame())
    assert(anim:IsPlaying() == 0, "the final path stopped it")
    assert(sprite:GetZOrder() == 5)
    local x, y = sprite:GetPosition()
    assert(x == 10 and y == 10)
    assert(other:GetCurFrame() == 0 and paused:IsPlaying() == 1)
    print("animation: ok")
end
