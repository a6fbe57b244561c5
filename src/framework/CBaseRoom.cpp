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
int gLiveRooms = 0;
CxString gLastRoom;
CRoomOkQuestion gOkQuestion = nullptr;
CRoomYesNoQuestion gYesNoQuestion = nullptr;
// The room whose questions the script functions ask: the one started last,
// for as long as it exists.
CBaseRoom* gQuestionRoom = nullptr;

int DoOkDialogFn(lua_State* L)
{
    const char* text = ScriptCheckString(L, 1);
    if (gQuestionRoom) gQuestionRoom->DoOkDialog(text);
    return 0;
}

int DoYesNoDialogFn(lua_State* L)
{
    const char* text = ScriptCheckString(L, 1);
    lua_pushnumber(L, gQuestionRoom ? gQuestionRoom->DoYesNoDialog(text) : 1);
    return 1;
}
}  // namespace

void SetRoomQuestions(CRoomOkQuestion ok, CRoomYesNoQuestion yesNo)
{
    gOkQuestion = ok;
    gYesNoQuestion = yesNo;
}

CBaseRoom::CBaseRoom() { ++gLiveRooms; }

CBaseRoom::~CBaseRoom()
{
    if (gQuestionRoom == this) gQuestionRoom = nullptr;
    if (--gLiveRooms > 0) return;
    RunScriptLine("if (pet ~= nil) then pet:UnLoad() pet = nil end");
    gLastRoom = "";
}

int CBaseRoom::LiveCount() { return gLiveRooms; }
const char* CBaseRoom::LastRoomName() { return gLastRoom.Text(); }

void CBaseRoom::RegisterQuestionFunctions()
{
    gQuestionRoom = this;
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
    gLastRoom = GetName();
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
    if (gOkQuestion) gOkQuestion(this, text);
}

int CBaseRoom::DoYesNoDialog(const char* text) { return gYesNoQuestion ? gYesNoQuestion(this, text) : 1; }
