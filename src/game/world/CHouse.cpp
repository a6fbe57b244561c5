#include "game/world/CHouse.h"

#include "core/CxOptions.h"
#include "core/CxTime.h"
#include "display/CxCommonMessageBox.h"
#include "display/CxCursor.h"
#include "display/CxDrawText.h"
#include "display/CxTextLayout.h"
#include "events/CxEvent.h"
#include "framework/CKelApp.h"
#include "game/CBaseApp.h"
#include "game/world/CPet.h"
#include "script/CxLuaEngine.h"

#include <lua.hpp>

#include <cstdio>

namespace {
CHouse* gRunningHouse = nullptr;
constexpr int32_t kShampooCursor = 11, kBrushCursor = 12;
}  // namespace

CHouse::CHouse() = default;

CHouse::~CHouse()
{
    delete timerText_;
    if (gRunningHouse == this) gRunningHouse = nullptr;
}

CHouse* CHouse::GetRunningHouse() { return gRunningHouse; }

// ---------------------------------------------------------------- lifecycle
void CHouse::PrepareRoom()
{
    gRunningHouse = this;
    CPetRoom::PrepareRoom();
    RegisterHouseFunctions();
    // The storage functions are there before the room's start callback,
    // which loads the pet with them.
    RunScriptFileIfExists("Pets/StorageFunc.lua");
}

void CHouse::StartRoom()
{
    gRunningHouse = this;
    toolCursor_ = 0;
    houseClock_.Start(0);
    lastTick_ = 0;
    tweak_ = std::make_unique<CTweakBoneState>();
    CPetRoom::StartRoom();
    BuildTimerDisplay();
    Run("if PetAI ~= nil and PetAI.tThinkFunc ~= nil and PetAI.tThinkFunc.StartUp ~= nil then "
        "PetAI.tThinkFunc.StartUp() end");
    CBaseApp* app = CBaseApp::Get();
    int tips = app ? app->GetGameOptions().ReadInt("Options", "ShowToolTips", 1) : 1;
    Run(tips ? "g_bShowToolTips = true" : "g_bShowToolTips = false");
}

void CHouse::StopRoom()
{
    tweak_.reset();
    if (timerText_) timerText_->Hide();
    timerShown_ = false;
    tempOutput_ = false;
    houseClock_.Reset();
    if (toolCursor_ != 0) {
        toolCursor_ = 0;
        SetDefaultCursorId(0);
        SetCursorId(0);
    }
    CPetRoom::StopRoom();
    if (gRunningHouse == this) gRunningHouse = nullptr;
}

void CHouse::OnPause()
{
    houseClock_.CountPause();
    if (CKelApp* app = CKelApp::Get(); app && app->GetSystemChannel()) CxEvent::PauseChannel(app->GetSystemChannel());
    CPetRoom::OnPause();
}

void CHouse::OnResume()
{
    CPetRoom::OnResume();
    if (CKelApp* app = CKelApp::Get(); app && app->GetSystemChannel()) CxEvent::ResumeChannel(app->GetSystemChannel());
    houseClock_.CountResume();
}

void CHouse::OnMainLoopPass()
{
    CPetRoom::OnMainLoopPass();
    if (IsPaused() || !houseClock_.IsStarted()) return;
    uint32_t now = houseClock_.Elapsed();
    if (now - lastTick_ <= kTickIntervalMs) return;
    lastTick_ = now;
    Callback("OnTick", CxString::FormatNew("%u", unsigned(now)).Text());
}

void CHouse::AdjustPose(CxModelRig& rig, CxRigLocalPose& pose)
{
    CPet* pet = GetRegisteredPet();
    // Only the pet's own skeleton carries the tweak bone.
    if (!tweak_ || !pet || pet->GetRig() != &rig) return;
    tweak_->Apply(rig, pose, QorTickCount());
}

// ---------------------------------------------------------------- widgets
void CHouse::BuildTimerDisplay()
{
    if (!timerText_) {
        // Until the talent show's number pictures exist, the timer is a line
        // of text in the top right corner.
        timerText_ = new CxDrawText;
        int width = GetRoomWidth() > 0 ? GetRoomWidth() : 800;
        timerText_->Create(width - 130, 10, 120, 32, this, 0);
        timerText_->SetDefaultDepth(32);
        // A ground of its own: over the 3D scene there is no picture for
        // the letters to keep.
        timerText_->SetBkColor(0xFF2A2438);
        CBaseApp* app = CBaseApp::Get();
        timerText_->SetFont(app ? app->GetFontId() : -1);
        timerText_->SetTextFlags(TEXT_CENTER | TEXT_CENTER_VERTICAL);
        timerText_->SetColor(0xFFFFF0C8);
        timerText_->SetPointSize(24);
    }
    timerText_->SetString(timerString_.Text());
    timerText_->Hide();
    timerShown_ = false;
}

void CHouse::SetTalentTimer(int minutes, int seconds)
{
    auto two = [](int v) { return v < 0 ? 0 : v > 99 ? 99 : v; };
    timerString_ = CxString::FormatNew("%02d:%02d", two(minutes), two(seconds));
    if (timerText_) {
        timerText_->SetString(timerString_.Text());
        if (timerShown_) timerText_->Paint();
    }
}

const char* CHouse::GetTalentTimerText() const { return timerString_.Text(); }

void CHouse::ToggleTalentTimer()
{
    timerShown_ = !timerShown_;
    if (!timerText_) return;
    if (timerShown_) timerText_->Show();
    else timerText_->Hide();
}

int CHouse::DoMessageBox(const char* title, const char* message, const char* first, const char* second)
{
    int32_t cursor = GetCursorId();
    SetCursorId(0);
    CountPause();
    int answer = CommonMessageBox(title, message, first, second);
    CountResume();
    SetCursorId(cursor);
    return answer;
}

// ---------------------------------------------------------------- cursors
void CHouse::SetToolCursor(int32_t id)
{
    // As the default too, or the next move over the interface brings the arrow back.
    toolCursor_ = id;
    SetDefaultCursorId(id);
    SetCursorId(id);
}

void CHouse::SetShampooCursor() { SetToolCursor(kShampooCursor); }
void CHouse::SetBrushCursor() { SetToolCursor(kBrushCursor); }
void CHouse::RevertToDefaultCursor() { SetToolCursor(0); }

// ---------------------------------------------------------------- script functions
namespace {
CHouse* House(lua_State* L)
{
    CHouse* house = CHouse::GetRunningHouse();
    if (!house) luaL_error(L, "the house is not running");
    return house;
}

int DoMessageBoxFn(lua_State* L)
{
    for (int i = 1; i <= 4; ++i)
        if (lua_type(L, i) != LUA_TSTRING) return luaL_argerror(L, i, "bad argument");
    int answer = House(L)->DoMessageBox(lua_tostring(L, 1), lua_tostring(L, 2), lua_tostring(L, 3), lua_tostring(L, 4));
    lua_pushnumber(L, answer);
    return 1;
}

int SetTalentTimerFn(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TNUMBER || lua_type(L, 2) != LUA_TNUMBER) return luaL_argerror(L, 1, "bad argument");
    double a = lua_tonumber(L, 1), b = lua_tonumber(L, 2);
    auto whole = [](double v) { return v == v && v > -1000 && v < 1000 ? int(v) : 0; };
    House(L)->SetTalentTimer(whole(a), whole(b));
    return 0;
}

int ToggleTalentTimerFn(lua_State* L)
{
    House(L)->ToggleTalentTimer();
    return 0;
}

int SetShampooCursorFn(lua_State* L)
{
    House(L)->SetShampooCursor();
    return 0;
}

int SetBrushCursorFn(lua_State* L)
{
    House(L)->SetBrushCursor();
    return 0;
}

int SetShowerCursorFn(lua_State* L)
{
    House(L)->SetToolCursor(13);
    return 0;
}

int SetSprayCursorFn(lua_State* L)
{
    House(L)->SetToolCursor(14);
    return 0;
}

int RevertToDefaultCursorFn(lua_State* L)
{
    House(L)->RevertToDefaultCursor();
    return 0;
}

int TurnOnTempOutputFn(lua_State* L)
{
    House(L)->TurnOnTempOutput();
    return 0;
}

int TurnOffTempOutputFn(lua_State* L)
{
    House(L)->TurnOffTempOutput();
    return 0;
}

const luaL_Reg kHouseFunctions[] = {
    {"DoMessageBox", DoMessageBoxFn},
    {"SetTalentTimer", SetTalentTimerFn},
    {"ToggleTalentTimer", ToggleTalentTimerFn},
    {"SetShampooCursor", SetShampooCursorFn},
    {"SetBrushCursor", SetBrushCursorFn},
    {"SetShowerCursor", SetShowerCursorFn},
    {"SetSprayCursor", SetSprayCursorFn},
    {"RevertToDefaultCursor", RevertToDefaultCursorFn},
    {"TurnOnTempOutput", TurnOnTempOutputFn},
    {"TurnOffTempOutput", TurnOffTempOutputFn},
};
}  // namespace

void CHouse::RegisterHouseFunctions()
{
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine) return;
    for (const luaL_Reg& entry : kHouseFunctions) engine->RegisterFunction(entry.name, entry.func);
    RegisterNotAvailable(*engine, "DoTalentMenu");
}
