#include "framework/CBaseRoom.h"
#include "core/CxAppServices.h"
#include "display/CxCursor.h"
#include "framework/CLanguageString.h"
#include "app/CxRoomManager.h"
#include "framework/CxRoomScript.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

#include <lua.hpp>

namespace {
// How many rooms live, the room entered last, and the question hooks of the game layer.
struct BaseRoomState {
    int liveRooms = 0;
    CxString lastRoom;
    CRoomOkQuestion okQuestion = nullptr;
    CRoomYesNoQuestion yesNoQuestion = nullptr;
    // The room whose questions the script functions ask: the one started
    // last, for as long as it exists.
    CBaseRoom* questionRoom = nullptr;
};

// Never destroyed: the static application object's destruction still
// reaches it after every other static is gone.
BaseRoomState& RoomsState()
{
    static auto* state = new BaseRoomState;
    return *state;
}

int DoOkDialogFn(lua_State* L)
{
    const char* text = ScriptCheckString(L, 1);
    if (RoomsState().questionRoom) RoomsState().questionRoom->DoOkDialog(text);
    return 0;
}

int DoYesNoDialogFn(lua_State* L)
{
    const char* text = ScriptCheckString(L, 1);
    lua_pushnumber(L, RoomsState().questionRoom ? RoomsState().questionRoom->DoYesNoDialog(text) : 1);
    return 1;
}
}  // namespace

void SetRoomQuestions(CRoomOkQuestion ok, CRoomYesNoQuestion yesNo)
{
    RoomsState().okQuestion = ok;
    RoomsState().yesNoQuestion = yesNo;
}

CBaseRoom::CBaseRoom() { ++RoomsState().liveRooms; }

CBaseRoom::~CBaseRoom()
{
    if (RoomsState().questionRoom == this) RoomsState().questionRoom = nullptr;
    if (--RoomsState().liveRooms > 0) return;
    RunScriptLine("if (pet ~= nil) then pet:UnLoad() pet = nil end");
    RoomsState().lastRoom = "";
}

int CBaseRoom::LiveCount() { return RoomsState().liveRooms; }
const char* CBaseRoom::LastRoomName() { return RoomsState().lastRoom.Text(); }

void CBaseRoom::RegisterQuestionFunctions()
{
    RoomsState().questionRoom = this;
    if (CxLuaEngine* engine = GetScriptEngine()) {
        engine->RegisterFunction("DoOkDialog", DoOkDialogFn);
        engine->RegisterFunction("DoYesNoDialog", DoYesNoDialogFn);
    }
}

// Input queued while the rooms were changing was meant for the old room.
// A room entered while the game quits or while another change is already
// asked for is never seen.
void CBaseRoom::StartRoom()
{
    CxAppServices* app = CxAppServices::Get();
    if (app) app->FlushPaintRequests();
    RegisterQuestionFunctions();
    CLuaRoom::StartRoom();
    StartIdleTimer();
    CxRoomManager* rooms = GetScriptRoomManager();
    if ((app && app->GetQuitFlag()) || (rooms && rooms->IsLeavingRoom())) Hide();
    SetCursorId(CURSOR_BUSY);
}

void CBaseRoom::AfterStartRoom()
{
    SetCursorId(CURSOR_ARROW);
    CLuaRoom::AfterStartRoom();
}

void CBaseRoom::StopRoom()
{
    RoomsState().lastRoom = GetName();
    CLuaRoom::StopRoom();
}

void CBaseRoom::OnPause()
{
    if (channel_) CxEvent::PauseChannel(channel_);
    CLuaRoom::OnPause();
}

void CBaseRoom::OnResume()
{
    if (channel_) CxEvent::ResumeChannel(channel_);
    CLuaRoom::OnResume();
}

int CBaseRoom::OnQuitRequest()
{
    return DoYesNoDialog(LookUpLanguageString(GetScriptEngine(), "QuitConfirm").Text());
}

void CBaseRoom::DoOkDialog(const char* text)
{
    if (RoomsState().okQuestion) RoomsState().okQuestion(this, text);
}

int CBaseRoom::DoYesNoDialog(const char* text) { return RoomsState().yesNoQuestion ? RoomsState().yesNoQuestion(this, text) : 1; }
