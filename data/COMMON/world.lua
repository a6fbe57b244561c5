-- Shared pieces of the 3D rooms: the room's model, its light, the camera
-- and the cat idling, until the pet rooms take over.

-- Builds the scene of a 3D room.  `layout` holds model, eye, target, light
-- direction and the cat's place; the objects are kept in Room so that they
-- live as long as the visit.
function BuildWorldRoom(layout)
    if CxSceneManager == nil or Room.m_cSceneManager == nil then return end
    local scene = Room.m_cSceneManager

    local room = Cx3DObject:new()
    room:LoadModel(layout.model)
    room:SetMaterialDiffuse(0.6, 0.58, 0.55, 1.0)
    room:SetMaterialAmbient(0.8, 0.78, 0.75, 1.0)
    room:Link(scene)
    Room.m_cRoomModel = room

    local light = CxLight:new()
    light:SetType(3)
    light:SetDirection(layout.light[1], layout.light[2], layout.light[3])
    light:SetDiffuse(255, 255, 240, 220)
    light:SetActive(1)
    scene:AddLight(light)
    Room.m_cLight = light
    SetGlobalAmbientLight(120, 118, 125, 255)

    local cat = Cx3DObject:new()
    cat:LoadModel("generated/cat/cat.glb")
    cat:SetTexture("generated/cat/cat_" .. (layout.coat or "Abyssinian") .. ".tga")
    cat:SetMaterialDiffuse(1.0, 1.0, 1.0, 1.0)
    cat:SetMaterialAmbient(0.5, 0.5, 0.5, 1.0)
    cat:LoadAnim("idle", "generated/cat/anim/idle.glb", "")
    cat:LoadAnim("breathe", "generated/cat/anim/breathe.glb", "")
    cat:SetPosition(layout.cat[1], layout.cat[2], layout.cat[3])
    if layout.turn then cat:RotateXZ(layout.turn) end
    cat:Link(scene)
    cat:BlendIn("idle", 0.3, 0, 0)
    cat:BlendIn("breathe", 0.3, 0, 0)
    cat:SetAnimWeight("breathe", 0.5)
    Room.m_cCat = cat

    SetCameraUp(0, 1, 0)
    SetCameraPosition(layout.eye[1], layout.eye[2], layout.eye[3])
    SetCameraLookAt(layout.target[1], layout.target[2], layout.target[3])
end

-- The scene goes with the visit: unlinked, and left to the collector.
function LeaveWorldRoom()
    if Room.m_cSceneManager and Room.m_cLight then Room.m_cSceneManager:RemoveLight(Room.m_cLight) end
    if Room.m_cCat then Room.m_cCat:UnLoad() end
    if Room.m_cRoomModel then Room.m_cRoomModel:UnLoad() end
    Room.m_cCat, Room.m_cRoomModel, Room.m_cLight = nil, nil, nil
end
