-- The effect codes by name: every code of the blitter, and a sprite takes
-- them as its effects.
local expected = {
    BLT_EFFECT_NONE = 0, BLT_EFFECT_HALF = 2, BLT_EFFECT_ALPHA = 3, BLT_EFFECT_DEST_ALPHA = 4,
    BLT_EFFECT_MIX_ALPHA = 5, BLT_EFFECT_ALPHA_OVER = 6, BLT_EFFECT_TRANSLUCENT = 7,
    BLT_EFFECT_DEST_OPACITY = 8, BLT_EFFECT_ALPHA_TINT = 9, BLT_EFFECT_FILL_MASK = 10,
    BLT_EFFECT_SILHOUETTE = 11, BLT_EFFECT_ADD_COLOR = 12, BLT_EFFECT_FLIP_VERTICAL = 14,
    BLT_EFFECT_HIDDEN = 16, BLT_EFFECT_STENCIL = 17, BLT_EFFECT_STENCIL_COLOR = 18, BLT_EFFECT_CUSTOM = 19,
}
local count = 0
for name, code in pairs(BLT_EFFECTS) do
    assert(expected[name] == code, name .. " = " .. tostring(code))
    count = count + 1
end
for name in pairs(expected) do assert(BLT_EFFECTS[name] ~= nil, "missing " .. name) end
assert(count == 17, "entries: " .. count)

local sprite = CxSprite()
sprite:LoadSurface("four_frames.tga", 4)
sprite:SetEffects(BLT_EFFECTS.BLT_EFFECT_TRANSLUCENT)
assert(sprite:GetEffects() == 7)
print("blt_effects: ok")
