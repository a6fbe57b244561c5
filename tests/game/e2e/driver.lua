-- Plays the menus as a player would: every step waits until the game is in
-- the room it expects, keeps a picture of each room, clicks the next button
-- and finally quits through the game's question.  Each room change is
-- printed as "E2E room <name>" for the runner to compare.
--
-- E2E_OUT (the folder for the pictures) is set by the runner above this.

local frame, lastRoom, stepIndex, waited = 0, nil, 1, 0

local function click(x, y)
    return {
        function() PostMouse("move", x, y) end,
        function() PostMouse("down", x, y) end,
        function() PostMouse("up", x, y) end,
    }
end

-- Each step: the room the game must be in, a picture to keep (or nil), and
-- the clicks that follow.  Button centres come from the rooms' descriptions.
local steps = {
    {room = "MainMenu", shot = "MainMenu", clicks = {click(400, 360)}},          -- Options
    {room = "OptionsMenu", shot = "OptionsMenu", clicks = {click(400, 480)}},    -- Back
    {room = "MainMenu", clicks = {click(400, 240)}},                              -- Play
    {room = "Kennel1", shot = "Kennel1", clicks = {click(100, 560)}},             -- House
    {room = "House", shot = "House", clicks = {click(710, 560), click(400, 245)}}, -- Menu, its Kennel
    {room = "MainMenu", clicks = {click(400, 420)}},                              -- About
    {room = "MainMenu", shot = "AboutDialog", clicks = {click(400, 370)}},       -- its Ok
    {room = "MainMenu", clicks = {click(400, 480)}},                              -- Quit
    {room = "MainMenu", shot = "QuitQuestion", clicks = {click(490, 375)}},      -- No
    {room = "MainMenu", clicks = {click(400, 480), click(310, 375)}, last = true}, -- Quit, Yes
}

local pending = {}

local function queue(step)
    for _, c in ipairs(step.clicks) do
        for _, action in ipairs(c) do table.insert(pending, action) end
        -- a few quiet frames after each click let the game settle
        for _ = 1, 8 do table.insert(pending, function() end) end
    end
end

function VornDriverFrame()
    frame = frame + 1
    local room = GetCurRoomName()
    if room ~= lastRoom then
        print("E2E room " .. tostring(room))
        lastRoom = room
    end
    if #pending > 0 then
        table.remove(pending, 1)()
        return
    end
    local step = steps[stepIndex]
    if not step then return end
    if room ~= step.room then
        waited = waited + 1
        if waited > 300 then
            print("E2E stuck waiting for " .. step.room .. " in " .. tostring(room))
            Quit()
        end
        return
    end
    waited = 0
    if step.shot then
        local code = ScreenCaptureWithUI("<DEFAULT>" .. E2E_OUT .. "/" .. step.shot .. ".tga")
        if code ~= 0 then print("E2E capture failed " .. code) end
    end
    if step.last then print("E2E quitting") end
    queue(step)
    stepIndex = stepIndex + 1
end
