#include "game/world/CPetRoom.h"

#include "app/CxRoomManager.h"
#include "core/CxAppServices.h"
#include "core/CxMainLoopHook.h"
#include "core/CxTime.h"
#include "display/CxCursor.h"
#include "display/CxNotify.h"
#include "display/CxButton.h"
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"
#include "game/CBaseApp.h"
#include "game/world/C3DPhysicsObject.h"
#include "game/world/CMenuDialog.h"
#include "game/world/CPet.h"
#include "game/world/CPetEvents.h"
#include "media/CxSoundServices.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptText.h"

#include <lua.hpp>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr float kDegrees = 57.295776f;
// Guarded: a house without its pet scripts yet answers false, not an error.
constexpr const char* kHandlingMode =
    "PetAI ~= nil and PetAI.PET_STATES ~= nil and ("
    "(PetAI.CUR_STATE == PetAI.PET_STATES.ATTENTION_MODE) or (PetAI.CUR_STATE == PetAI.PET_STATES.BATHTUB_MODE) or "
    "(PetAI.CUR_STATE == PetAI.PET_STATES.BRUSHING_MODE))";
constexpr int32_t kCursorHand = 4;

CPetRoom* gRunningPetRoom = nullptr;

bool ContainsNoCase(const char* text, const char* part)
{
    std::string a = text ? text : "", b = part;
    for (char& c : a) c = char(std::tolower(static_cast<unsigned char>(c)));
    return a.find(b) != std::string::npos;
}

// The pass hook: the rooms' frame update skips paused rooms and runs once
// per frame, but a flying toy must be stepped every pass of the loop.
class PassHook : public CxMainLoopHook {
public:
    explicit PassHook(CPetRoom& room) : room_(room) {}
    void OnMainLoop() override { room_.OnMainLoopPass(); }

private:
    CPetRoom& room_;
};
}  // namespace

// Fires when petting has paused too long.
class CPetRoomTimeout : public CxTimerListener {
public:
    explicit CPetRoomTimeout(CPetRoom& room) : room_(room) {}
    void OnTimer(CxTimerCallBack*) override { room_.OnPettingTimeout(); }

private:
    CPetRoom& room_;
};

CPetRoom::CPetRoom()
{
    timeoutListener_ = std::make_unique<CPetRoomTimeout>(*this);
}

CPetRoom::~CPetRoom()
{
    passHook_.reset();
    pettingTimeout_.reset();
    if (gRunningPetRoom == this) gRunningPetRoom = nullptr;
}

CPetRoom* CPetRoom::GetRunningPetRoom() { return gRunningPetRoom; }

// ---------------------------------------------------------------- script helpers
int CPetRoom::Run(const char* line)
{
    CxLuaEngine* engine = GetScriptEngine();
    return engine ? engine->RunString(line) : ERR_INVALID_ARGUMENT;
}

// The pet room's callbacks are not among the scripted room's defaults: a
// room script that leaves one out is not an error.
int CPetRoom::Callback(const char* name, const char* arguments)
{
    return Run(CxString::FormatNew("if Room ~= nil and Room.%s ~= nil then Room.%s(%s) end", name, name, arguments).Text());
}

bool CPetRoom::Eval(const char* expression, bool fallback)
{
    CxLuaEngine* engine = GetScriptEngine();
    return engine ? engine->EvalBool(expression, fallback) : fallback;
}

float CPetRoom::Global(const char* path, float fallback)
{
    CxLuaEngine* engine = GetScriptEngine();
    float value = engine ? engine->GetGlobalFloat(path, fallback) : fallback;
    return std::isfinite(value) ? value : fallback;
}

void CPetRoom::SetCursorShown(int32_t id) { SetCursorId(id == 0 ? RestingCursor() : id); }

// ---------------------------------------------------------------- objects held by id
namespace {
C3DPhysicsObject* LiveToy(uint32_t id) { return id ? dynamic_cast<C3DPhysicsObject*>(Cx3DObject::FindLive(id)) : nullptr; }
}  // namespace

Cx3DObject* CPetRoom::GetPressedObject() const { return pressedId_ ? Cx3DObject::FindLive(pressedId_) : nullptr; }
C3DPhysicsObject* CPetRoom::GetGrabbedToy() const { return LiveToy(grabbedId_); }
C3DPhysicsObject* CPetRoom::GetToyInFlight() const { return LiveToy(inFlightId_); }

// ---------------------------------------------------------------- lifecycle
void CPetRoom::PrepareRoom()
{
    gRunningPetRoom = this;
    RegisterPetRoomFunctions();
    C3DRoom::PrepareRoom();
}

void CPetRoom::StartRoom()
{
    gRunningPetRoom = this;
    // Ready before the room script's start callback, which may grab a toy
    // or turn the camera.
    state_ = STATE_IDLE;
    buttonDown_ = 0;
    pressedId_ = grabbedId_ = inFlightId_ = 0;
    screenMotion_.Clear();
    worldMotion_.Clear();
    roomClock_.Start(0);
    FillClickables();
    passHook_ = std::make_unique<PassHook>(*this);
    CxCamera& camera = GetCamera();
    camera.up[0] = 0, camera.up[1] = 1, camera.up[2] = 0;
    C3DRoom::StartRoom();
    float fov = Global("globals.camera.field_of_view", 0);
    if (fov > 0 && fov < 180) {
        float zNear = Global("globals.camera.near_clip", 0.1f), zFar = Global("globals.camera.far_clip", 100);
        camera.SetPerspective(fov / kDegrees, float(GetRoomWidth()) / float(GetRoomHeight()), zNear, zFar);
    }
}

void CPetRoom::StopRoom()
{
    passHook_.reset();
    DisarmPettingTimeout();
    inFlightId_ = pressedId_ = grabbedId_ = 0;
    state_ = STATE_IDLE;
    roomClock_.Reset();
    clickables_.clear();
    C3DRoom::StopRoom();
    if (gRunningPetRoom == this) gRunningPetRoom = nullptr;
}

void CPetRoom::FillClickables()
{
    static const Clickable kClickables[] = {
        {"Poop", -1},           {"Pee Stain", -1},     {"BoomBox", 3},      {"Cat Perch", 4},
        {"Bathroom Faucet", 4}, {"Toilet", 4},         {"Refrigerator", 3}, {"Tub", 4},
        {"Fireplace", 2},       {"Kitchen Faucet", 3}, {"Dog House", 1},    {"Sofa", 2},
        {"Pet Bed", 2},         {"Coffee Table", 2},   {"Scratching Post", 2},
    };
    clickables_.assign(std::begin(kClickables), std::end(kClickables));
}

void CPetRoom::UpdateRoom()
{
    C3DRoom::UpdateRoom();
    if (state_ == STATE_DRAGGING && !IsPaused()) UpdateDrag();
}

void CPetRoom::BeginRender(CxD3DDevice* device)
{
    C3DRoom::BeginRender(device);
    Cx3DObject::SetGameTime(float(roomClock_.Elapsed()) / 1000.0f);
}

void CPetRoom::OnMainLoopPass()
{
    if (IsPaused()) return;
    if (C3DPhysicsObject* toy = GetToyInFlight()) toy->Update(QorTickCount());
    else inFlightId_ = 0;
}

void CPetRoom::OnPause()
{
    if (CPet* pet = GetRegisteredPet()) pet->CountPause();
    roomClock_.CountPause();
    if (pettingTimeout_) pettingTimeout_->CountPause();
    if (C3DPhysicsObject* toy = GetToyInFlight()) toy->CountPause();
    C3DRoom::OnPause();   // the room's channel, then "Room.OnPause()"
}

void CPetRoom::OnResume()
{
    C3DRoom::OnResume();   // "Room.OnResume()" last of the base's steps
    if (C3DPhysicsObject* toy = GetToyInFlight()) toy->CountResume();
    if (pettingTimeout_) pettingTimeout_->CountResume();
    roomClock_.CountResume();
    if (CPet* pet = GetRegisteredPet()) pet->CountResume();
}

CxEvent* CPetRoom::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    if (!TextEquals(kind, "MakePetFaceCamera", true)) return C3DRoom::CreateEvent(creatorName, kind, arguments);
    CPet* pet = GetRegisteredPet();
    if (!pet) return nullptr;
    float degrees = arguments.GetHead() ? std::strtof(arguments.GetHead()->value.Text(), nullptr) : 0.0f;
    // A speed that is not a number gets the turn's default.
    return NewPetFaceCameraEvent(*pet, GetCamera(), std::isfinite(degrees) ? degrees / kDegrees : 0.0f);
}

// ---------------------------------------------------------------- hit tests
CxString CPetRoom::BodyPartAt(CxPoint point)
{
    float origin[3], direction[3];
    GetCamera().PickingRay(point.x, point.y, GetRoomWidth(), GetRoomHeight(), origin, direction);
    return PetBodyPartUnderRay(origin, direction);
}

bool CPetRoom::PetHitAt(CPet& pet, CxPoint point)
{
    float origin[3], direction[3];
    GetCamera().PickingRay(point.x, point.y, GetRoomWidth(), GetRoomHeight(), origin, direction);
    return !pet.PickBone(origin, direction, "*").IsEmpty();
}

bool CPetRoom::ObjectHitAt(Cx3DObject& object, CxPoint point)
{
    // Picking uses the pose of the last draw: an object never drawn has none.
    if (object.GetDrawCount() <= 0) return false;
    float origin[3], direction[3];
    GetCamera().PickingRay(point.x, point.y, GetRoomWidth(), GetRoomHeight(), origin, direction);
    return object.Pick(origin, direction);
}

Cx3DObject* CPetRoom::ObjectAt(CxPoint point)
{
    CPet* pet = GetRegisteredPet();
    if (pet && PetHitAt(*pet, point)) return pet;
    CxSceneManager& scene = GetSceneManager();
    if (state_ != STATE_DRAGGING && Eval("toy ~= nil and toy.GetName ~= nil", false)) {
        CxLuaEngine* engine = GetScriptEngine();
        CxString name = engine->EvalString("toy:GetName()", "NOEXIST");
        auto* toy = dynamic_cast<C3DPhysicsObject*>(scene.FindChild(name.Text(), true));
        if (toy && ObjectHitAt(*toy, point)) return toy;
    }
    CxLuaEngine* engine = GetScriptEngine();
    int32_t room = engine ? engine->GetGlobalInt("Room.m_nCurRoom", 1) : 1;
    for (const Clickable& clickable : clickables_) {
        if (clickable.room != -1 && clickable.room != room) continue;
        auto* object = dynamic_cast<Cx3DObject*>(scene.FindChild(clickable.name.c_str(), true));
        if (!object || !object->IsVisible()) continue;
        if (object->GetParent() && !object->GetParent()->IsVisible()) continue;
        if (ObjectHitAt(*object, point)) return object;
    }
    return nullptr;
}

bool CPetRoom::InterfaceAt(CxPoint point)
{
    CxDisplayObject* hit = HitTest(ToGlobal(point), 1);
    return hit && hit != this;
}

int CPetRoom::PushDirection(CxPoint from, CxPoint to)
{
    // Counter-clockwise from screen-up; screen y grows downward.
    double dx = double(to.x) - from.x, dy = double(to.y) - from.y;
    double angle = std::atan2(-dx, -dy);
    if (angle < 0) angle += 2 * M_PI;
    if (angle < M_PI / 4 || angle >= 7 * M_PI / 4) return 0;
    if (angle >= 5 * M_PI / 4) return 1;
    if (angle >= 3 * M_PI / 4) return 2;
    return 3;
}

// ---------------------------------------------------------------- callbacks
void CPetRoom::OnPokePet(const char* part)
{
    Callback("OnPokePet", ScriptQuote(part).Text());
}

void CPetRoom::OnStartPetting(const char* part, bool changed)
{
    SetCursorShown(kCursorHand);
    Callback("OnStartPetting", CxString::FormatNew("%s, %s", ScriptQuote(part).Text(), changed ? "true" : "false").Text());
}

void CPetRoom::OnEndPetting(const char* part, uint32_t ms, bool changed)
{
    SetCursorShown(0);
    Callback("OnEndPetting",
             CxString::FormatNew("%s, %u, %s", ScriptQuote(part).Text(), unsigned(ms), changed ? "true" : "false").Text());
}

void CPetRoom::OnPushPet(const char* part, int direction)
{
    Callback("OnPushPet", CxString::FormatNew("%s, %d", ScriptQuote(part).Text(), direction).Text());
}

// ---------------------------------------------------------------- pressing and petting
void CPetRoom::RecordPress(const char* part, CxPoint point)
{
    state_ = STATE_PRESSED;
    bodyPart_ = part;
    downPoint_ = point;
    pettingClock_.Start(0);
    farthest_ = 0;
}

void CPetRoom::ArmPettingTimeout()
{
    CxLuaEngine* engine = GetScriptEngine();
    int32_t ms = engine ? engine->GetGlobalInt("globals.PETTING_TIMEOUT", 900) : 900;
    if (!pettingTimeout_) pettingTimeout_ = std::make_unique<CxTimerCallBack>(timeoutListener_.get(), TIMER_NO_PERIOD);
    // Start(0) would make a stopwatch that never fires.
    pettingTimeout_->Start(uint32_t(ms > 0 ? ms : 1));
}

void CPetRoom::DisarmPettingTimeout()
{
    if (pettingTimeout_) pettingTimeout_->Reset();
}

bool CPetRoom::IsPettingTimeoutArmed() const { return pettingTimeout_ && pettingTimeout_->IsStarted(); }

void CPetRoom::OnPettingTimeout()
{
    if (state_ != STATE_PETTING) return;
    CxString part = BodyPartAt(CxPoint{int32_t(lastMouse_[0]), int32_t(lastMouse_[1])});
    uint32_t ms = pettingClock_.Elapsed();
    if (part.IsEmpty() || part == bodyPart_) {
        state_ = STATE_IDLE;
        OnEndPetting(bodyPart_.Text(), ms, false);
        return;
    }
    CxString old = bodyPart_;
    OnEndPetting(old.Text(), ms, true);
    bodyPart_ = part;
    OnStartPetting(part.Text(), true);
    ArmPettingTimeout();
}

void CPetRoom::OnLButtonDown(uint32_t keys, CxPoint point)
{
    buttonDown_ = 1;
    CPet* pet = GetRegisteredPet();
    // Without a pet the room is a plain 3D room; while a toy is dragged the
    // press belongs to the drag.
    if (!pet) {
        C3DRoom::OnLButtonDown(keys, point);
        return;
    }
    if (state_ == STATE_DRAGGING) return;
    Cx3DObject* object = ObjectAt(point);
    if ((!object || object == pet) && Eval(kHandlingMode, false)) {
        RecordPress("None", point);
        CxString part = BodyPartAt(point);
        if (!part.IsEmpty()) {
            RecordPress(part.Text(), point);
            object = pet;
        }
    }
    if ((state_ == STATE_IDLE || state_ == STATE_PRESSED) && !InterfaceAt(point)) C3DRoom::OnLButtonDown(keys, point);
    if (object) pressedId_ = object->GetId();
}

void CPetRoom::HoldCursor()
{
    Run("g_bAllowDefaultCursor = false");
    cursorHeld_ = true;
}

void CPetRoom::OnMouseMove(uint32_t keys, CxPoint point)
{
    lastMouse_[0] = float(point.x), lastMouse_[1] = float(point.y), lastMouse_[2] = 0;
    // The hold lasts one move: left set, it would turn the framework's
    // hover and cursor handling off for the rest of the game.
    if (cursorHeld_) {
        Run("g_bAllowDefaultCursor = true");
        cursorHeld_ = false;
    }
    CPet* pet = GetRegisteredPet();
    CxLuaEngine* engine = GetScriptEngine();
    bool scolding = engine && engine->GetGlobalBool("Room.m_bScolding", false);
    if (!pet || scolding) {
        C3DRoom::OnMouseMove(keys, point);
        return;
    }
    bool attention = engine && engine->GetGlobalBool("Room.m_bAttentionMode", false);
    if (state_ == STATE_PRESSED) {
        float d = std::hypot(float(point.x - downPoint_.x), float(point.y - downPoint_.y));
        if (d > farthest_) {
            farthest_ = d;
        } else if (!(bodyPart_ == "None")) {
            HoldCursor();
            if (d > Global("globals.MIN_PETTING_SWIPE", 10.0f) && d < farthest_ * 0.5f) {
                state_ = STATE_PETTING;
                ArmPettingTimeout();
                OnStartPetting(bodyPart_.Text(), false);
            }
        }
    } else if (state_ == STATE_IDLE && attention) {
        if (!BodyPartAt(point).IsEmpty()) {
            SetCursorShown(kCursorHand);
            HoldCursor();
        } else {
            SetCursorShown(0);
        }
    } else if (state_ == STATE_PETTING) {
        CxString part = BodyPartAt(point);
        if (!part.IsEmpty()) {
            // Glitter would be emitted at the pointer here once the particle
            // effects exist.  Stroking the same part keeps petting going,
            // with or without glitter.
            SetCursorShown(kCursorHand);
            if (part == bodyPart_) ArmPettingTimeout();
            HoldCursor();
        } else {
            SetCursorShown(0);
        }
    } else if (GetCursorId() != CURSOR_BUSY) {
        Cx3DObject* object = ObjectAt(point);
        if (object && object != pet) {
            SetCursorShown(kCursorHand);
            return;
        }
    }
    C3DRoom::OnMouseMove(keys, point);
}

CxDisplayObject* CPetRoom::OnLButtonUp(uint32_t keys, CxPoint point)
{
    buttonDown_ = 0;
    CPet* pet = GetRegisteredPet();
    if (!pet) {
        state_ = STATE_IDLE;
        pressedId_ = 0;
        return C3DRoom::OnLButtonUp(keys, point);
    }
    if (state_ == STATE_PRESSED) {
        // A release far from the press counts even when no move was seen.
        float d = std::hypot(float(point.x - downPoint_.x), float(point.y - downPoint_.y));
        if (d > farthest_) farthest_ = d;
        if (farthest_ >= Global("globals.MIN_PUSH_DISTANCE", 20.0f)) {
            state_ = STATE_PUSHED;
            OnPushPet(bodyPart_.Text(), PushDirection(downPoint_, point));
        } else if (farthest_ <= Global("globals.MAX_POKE_DISTANCE", 5.0f)) {
            CxString part = BodyPartAt(point);
            if (!part.IsEmpty() && part == bodyPart_) {
                state_ = STATE_POKED;
                OnPokePet(bodyPart_.Text());
            }
        }
    } else if (state_ == STATE_PETTING) {
        DisarmPettingTimeout();
        state_ = STATE_IDLE;
        OnEndPetting(bodyPart_.Text(), pettingClock_.Elapsed(), false);
    } else if (state_ == STATE_DRAGGING) {
        C3DPhysicsObject* toy = GetGrabbedToy();
        state_ = STATE_IDLE;
        if (!toy) {
            UnGrabToy();
        } else if (TextEquals(toy->GetName(), "Treat", true)) {
            bool overPet = !BodyPartAt(point).IsEmpty();
            UnGrabToy();
            Callback(overPet ? "TreatPet" : "PutTreatBack", "");
        } else {
            ThrowToy(toy, screenMotion_.GetPosition(), screenMotion_.GetVelocity(), worldMotion_.GetPosition(),
                     worldMotion_.GetVelocity());
        }
    }
    state_ = STATE_IDLE;
    Cx3DObject* under = ObjectAt(point);
    Cx3DObject* pressed = GetPressedObject();
    if (under && under == pressed) {
        Callback("OnClickedObject", CxString::FormatNew("%s, %s", ScriptQuote(under->GetName()).Text(),
                                                        under == GetRegisteredPet() ? "true" : "false")
                                        .Text());
    }
    pressedId_ = 0;
    CxDisplayObject* result = C3DRoom::OnLButtonUp(keys, point);
    if (state_ == STATE_DRAGGING && !IsPaused()) UpdateDrag();
    return result;
}

// ---------------------------------------------------------------- toys
void CPetRoom::ScreenToWorld(float x, float y, float depth, float out[3])
{
    // The point on the pointer's ray whose distance along the view
    // direction is `depth`: the toy stays under the pointer at any depth.
    CxCamera& camera = GetCamera();
    float origin[3], direction[3];
    camera.PickingRay(int(x), int(y), GetRoomWidth(), GetRoomHeight(), origin, direction);
    const GpuMatrix& view = camera.GetView();
    float forward[3] = {view.m[0][2], view.m[1][2], view.m[2][2]};
    float along = direction[0] * forward[0] + direction[1] * forward[1] + direction[2] * forward[2];
    float t = std::fabs(along) > 1e-6f ? depth / along : depth;
    for (int i = 0; i < 3; ++i) {
        out[i] = origin[i] + direction[i] * t;
        if (!std::isfinite(out[i])) out[i] = origin[i];
    }
}

void CPetRoom::UpdateDrag()
{
    C3DPhysicsObject* toy = GetGrabbedToy();
    if (!toy) {
        // The script let the toy go (and the collector took it) mid-drag.
        grabbedId_ = 0;
        if (state_ == STATE_DRAGGING) state_ = STATE_IDLE;
        return;
    }
    if (!buttonDown_) {
        screenMotion_.Clear();
        worldMotion_.Clear();
    }
    uint32_t now = QorTickCount();
    screenMotion_.Add(lastMouse_, now);
    float world[3];
    ScreenToWorld(lastMouse_[0], lastMouse_[1], Global("globals.TOY_DRAG_Z_DISTANCE", 0), world);
    const float* offset = toy->GetOffset();
    for (int i = 0; i < 3; ++i) world[i] += offset[i];
    worldMotion_.Add(world, now);
    toy->SetPosition(world[0], world[1], world[2]);
    float width = float(GetRoomWidth() > 0 ? GetRoomWidth() : 1);
    toy->GrabTilt((lastMouse_[0] - width / 2) * 2 / width);
}

void CPetRoom::GrabToy(C3DPhysicsObject* toy)
{
    if (!toy) return;
    inFlightId_ = 0;
    float x, y, z;
    toy->GetPosition(&x, &y, &z);
    toy->Reset(x, y, z);
    grabbedId_ = toy->GetId();
    state_ = STATE_DRAGGING;
    toy->SetVisible(1);
    toy->Link(&GetSceneManager());
    UpdateDrag();
    Callback("OnGrabToy", "");
}

void CPetRoom::UnGrabToy()
{
    Callback("OnUnGrabToy", "");
    state_ = STATE_IDLE;
    grabbedId_ = 0;
}

void CPetRoom::ThrowToy(C3DPhysicsObject* toy, const float screenPosition[3], const float screenVelocity[3],
                        const float worldPosition[3], const float worldVelocity[3])
{
    (void)screenPosition, (void)screenVelocity;
    if (!toy) return;
    uint32_t id = toy->GetId();
    inFlightId_ = id;
    toy->Reset(worldPosition[0], worldPosition[1], worldPosition[2]);
    float vx = worldVelocity[0], vy = worldVelocity[1];
    float v[3] = {Global("physics.scale_initial_velocity.x", 0) * vx, Global("physics.scale_initial_velocity.y", 0) * vy,
                  Global("physics.scale_initial_velocity.z", 0) * std::sqrt(vx * vx + vy * vy)};
    UnGrabToy();
    float minZ = Global("physics.min_z_initial_velocity", 0);
    if (std::fabs(v[2]) < minZ) v[2] = -minZ;
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    float maxSpeed = Global("physics.max_initial_velocity", 0);
    if (maxSpeed > 0 && length > maxSpeed) {
        for (float& c : v) c *= maxSpeed / length;
    }
    for (float& c : v)
        if (!std::isfinite(c)) c = 0;
    // The script's OnUnGrabToy may have dropped the toy.
    toy = LiveToy(id);
    if (toy) {
        toy->Throw(v[0], v[1], v[2]);
        if (ContainsNoCase(toy->GetName(), "duck")) {
            PlaySoundByName("throw-ducky.wav");
        } else if (ContainsNoCase(toy->GetName(), "jingle")) {
            PlaySoundByName("throw-jingle.wav");
            toy->SetHasAlpha(0);
        }
    } else {
        inFlightId_ = 0;
    }
    screenMotion_.Clear();
    worldMotion_.Clear();
    Run("if (Room.m_cInvIcon_btn ~= nil) then Room.m_cInvIcon_btn:SetEffects(BLT_EFFECTS.BLT_EFFECT_NONE) end");
}

// ---------------------------------------------------------------- script functions
namespace {
CPetRoom* PetRoom(lua_State* L)
{
    CPetRoom* room = CPetRoom::GetRunningPetRoom();
    if (!room) luaL_error(L, "no pet room is running");
    return room;
}

// Functions of the game screens that are still to come.
int NotAvailableFn(lua_State* L)
{
    return luaL_error(L, "%s is not available yet", lua_tostring(L, lua_upvalueindex(1)));
}

int SetActiveGlitterSpriteFn(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TSTRING) return luaL_argerror(L, 1, "bad argument");
    PetRoom(L)->SetActiveGlitter(lua_tostring(L, 1));
    return 0;
}

int GrabToyFn(lua_State* L)
{
    C3DPhysicsObject* toy = CheckPhysicsObject(L, 1);
    if (!toy) return luaL_argerror(L, 1, "bad argument");
    PetRoom(L)->GrabToy(toy);
    return 0;
}

int UnGrabToyFn(lua_State* L)
{
    PetRoom(L)->UnGrabToy();
    return 0;
}

int UnRegisterToyFn(lua_State* L)
{
    CPetRoom* room = PetRoom(L);
    room->UnGrabToy();
    room->ForgetToyInFlight();
    return 0;
}

int RemoveToyFromPhysicsFn(lua_State* L)
{
    PetRoom(L)->ForgetToyInFlight();
    return 0;
}

int MouseToToyFn(lua_State* L)
{
    CPetRoom* room = PetRoom(L);
    CxLuaEngine* engine = room->GetScriptEngine();
    float depth = engine ? engine->GetGlobalFloat("globals.TOY_DRAG_Z_DISTANCE", 0) : 0;
    if (!std::isfinite(depth)) depth = 0;
    float out[3];
    room->ScreenToWorld(room->GetLastMouseX(), room->GetLastMouseY(), depth, out);
    for (float v : out) lua_pushnumber(L, v);
    return 3;
}

int DoMenuDialogFn(lua_State* L)
{
    CPetRoom* room = PetRoom(L);
    const char* target = lua_type(L, 1) == LUA_TSTRING ? lua_tostring(L, 1) : nullptr;
    int32_t cursor = GetCursorId();
    SetCursorId(0);
    int result = CMenuDialog::RESULT_NONE;
    {
        CMenuDialog dialog;
        dialog.SetScriptEngine(room->GetScriptEngine());
        dialog.Load("COMMON/MenuDialog.ini");
        room->CountPause();
        dialog.DoModal();
        room->CountResume();
        result = dialog.GetResult();
    }
    SetCursorId(cursor);
    if (result == CMenuDialog::RESULT_SCRAPBOOK) return luaL_error(L, "DoScrapBook is not available yet");
    CMenuDialog::Carry(result, target);
    lua_pushnumber(L, result);
    return 1;
}

const luaL_Reg kPetRoomFunctions[] = {
    {"SetActiveGlitterSprite", SetActiveGlitterSpriteFn},
    {"GrabToy", GrabToyFn},
    {"UnGrabToy", UnGrabToyFn},
    {"UnRegisterToy", UnRegisterToyFn},
    {"RemoveToyFromPhysics", RemoveToyFromPhysicsFn},
    {"MouseToToy", MouseToToyFn},
    {"DoMenuDialog", DoMenuDialogFn},
};

const char* const kNotAvailable[] = {"DoStoreDialog",    "ToggleInventory",         "HideInventory",
                                     "ShowInventory",    "AddItemToInventory",      "RemoveItemFromInventory",
                                     "DoBookOfTricks",   "DoScrapBook",             "TakePhoto"};
}  // namespace

void RegisterNotAvailable(CxLuaEngine& engine, const char* name)
{
    lua_State* L = engine.GetState();
    if (!L) return;
    lua_pushstring(L, name);
    lua_pushcclosure(L, NotAvailableFn, 1);
    lua_setglobal(L, name);
}

void CPetRoom::RegisterPetRoomFunctions()
{
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine) return;
    for (const luaL_Reg& entry : kPetRoomFunctions) engine->RegisterFunction(entry.name, entry.func);
    for (const char* name : kNotAvailable) RegisterNotAvailable(*engine, name);
}

// ---------------------------------------------------------------- the menu dialog
CMenuDialog::CMenuDialog() { SetButtonAnchor(ANCHOR_CENTRE); }

int CMenuDialog::ResultOfButton(const char* name)
{
    static const char* const kNames[] = {"Kennel", "ScrapBook", "Resume", "Quit"};
    for (int i = 0; i < 4; ++i)
        if (TextEquals(name, kNames[i], true)) return i;
    return RESULT_NONE;
}

void CMenuDialog::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    auto* button = dynamic_cast<CKelButton*>(sender);
    if (kind == NOTIFY_BUTTON && code == BUTTON_CODE_CLICKED && button) {
        int answer = ResultOfButton(button->GetName());
        if (answer != RESULT_NONE) {
            result_ = answer;
            EndModal();
            return;
        }
    }
    CKelDialog::OnNotify(kind, sender, code, extra);
}

void CMenuDialog::Carry(int result, const char* room)
{
    CxRoomManager* rooms = GetScriptRoomManager();
    if (result == RESULT_KENNEL && rooms) {
        if (room && *room) rooms->GotoRoom(room);
        else rooms->PopRoom();
    } else if (result == RESULT_QUIT) {
        if (CxAppServices* app = CxAppServices::Get()) app->Quit();
    }
}

int CMenuDialog::DoModal()
{
    result_ = RESULT_NONE;
    return DoModalWithMouse(*this);
}
