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
-- Typing: one key a frame, as the player's own keys would arrive.
local function typed(text)
    local actions = {}
    for i = 1, #text do
        local key = string.byte(text, i)
        table.insert(actions, function() PostKey(key) end)
    end
    return actions
end

local steps = {
    {room = "MainMenu", shot = "MainMenu", clicks = {click(400, 360)}},          -- Options
    {room = "OptionsMenu", shot = "OptionsMenu", clicks = {click(120, 565)}},    -- Back
    {room = "MainMenu", clicks = {click(400, 300)}},                              -- Load
    {room = "LoadMenu", shot = "LoadMenu", clicks = {click(120, 565)}},          -- Back
    {room = "MainMenu", clicks = {click(400, 240)}},                              -- Play
    {room = "Kennel1", shot = "Kennel1", settle = 10, clicks = {click(680, 510), click(400, 510)}}, -- Next, Choose
    {room = "Kennel2", clicks = {click(400, 510)}},                               -- Ok with no name: refused
    {room = "Kennel2", shot = "EmptyName", clicks = {click(400, 375)}},          -- its Ok
    {room = "Kennel2", clicks = {typed("Tansy\r")}},                              -- the name, Return
    {room = "Kennel3", shot = "Kennel3", clicks = {click(400, 520)}},             -- Go Home
    {room = "House", shot = "House", clicks = {click(710, 560), click(400, 245)}}, -- Menu, its Kennel
    {room = "MainMenu", shot = "MainMenuPet", settle = 10, clicks = {click(400, 300)}}, -- Load
    {room = "LoadMenu", shot = "LoadMenuSaved", check = "Tansy",
     clicks = {click(434, 255), click(400, 565)}},                                -- the saved pet, Load
    {room = "House", pet = true, clicks = {click(710, 560), click(400, 245)}}, -- Menu, its Kennel
    {room = "MainMenu", clicks = {click(400, 300)}},                              -- Load
    {room = "LoadMenu", clicks = {click(434, 255), click(680, 565)}},            -- the saved pet, Delete
    {room = "LoadMenu", shot = "DeleteQuestion", clicks = {click(490, 375)}},    -- No
    {room = "LoadMenu", check = "Tansy", clicks = {click(680, 565)}},            -- Delete again
    {room = "LoadMenu", clicks = {click(310, 375)}},                              -- Yes
    {room = "LoadMenu", check = "Tansy", clicks = {click(120, 565)}},            -- Back
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
    -- a room that draws on its own (the 3D window) is given a few frames first
    if step.settle and step.settle > 0 then
        step.settle = step.settle - 1
        return
    end
    if step.shot then
        local code = ScreenCaptureWithUI("<DEFAULT>" .. E2E_OUT .. "/" .. step.shot .. ".tga")
        if code ~= 0 then print("E2E capture failed " .. code) end
    end
    if step.check then
        -- whether the pet's save is in the save folder at this step
        local saved = QorFileExists("<AppData>pet_" .. step.check .. ".sav")
        print("E2E save " .. step.check .. " " .. (saved and "there" or "gone"))
    end
    if step.pet then print("E2E pet " .. tostring(GetPetName and GetPetName())) end
    if step.last then print("E2E quitting") end
    queue(step)
    stepIndex = stepIndex + 1
end
