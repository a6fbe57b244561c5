-- Shared pieces of the menu rooms: texts in the player's language and text
-- labels that live as long as the visit.

-- The text for `key`, or the key itself when the language has none.
function MenuText(key)
    local text = GetLanguageString and GetLanguageString(key)
    return text or key
end

-- A line of text at (x, y) in a w x h box, centred, in the room, on a plate
-- of its own colour (`back`): a text copies what lies behind it only where
-- the interface is drawn in memory, so a plate looks the same either way.
function MenuLabel(text, x, y, w, h, size, colour, back)
    local label = CxDrawText()
    label:Create(x, y, w, h)
    label:SetDefaultDepth(32)
    label:SetPointSize(size or 24)
    label:SetFlags(back and 0x10000024 or 0x10000064)   -- centred; a shadow on the default plate
    label:SetColor(colour or 0xFFFFFFFF)
    label:SetShadowColor(0xFF000000)
    label:SetBkColor(back or 0xFF3C3250)
    label:SetString(text)
    label:Link(Room.this)
    label:Paint(x, y)
    Room.menu_labels = Room.menu_labels or {}
    table.insert(Room.menu_labels, label)
    return label
end

function MenuClearLabels()
    for _, label in ipairs(Room.menu_labels or {}) do label:Destroy() end
    Room.menu_labels = nil
end
