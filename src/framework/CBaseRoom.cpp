#include "framework/CBaseRoom.h"
#include "core/CxApp.h"
#include "framework/CxRoomManager.h"
#include "framework/CxRoomScript.h"

namespace {
int gLiveRooms = 0;
CxString gLastRoom;
}

CBaseRoom::CBaseRoom() { ++gLiveRooms; }

CBaseRoom::~CBaseRoom()
{
    if (--gLiveRooms > 0) return;
    RunScriptLine("if (pet ~= nil) then pet:UnLoad() pet = nil end");
    gLastRoom = "";
}

int CBaseRoom::LiveCount() { return gLiveRooms; }
const char* CBaseRoom::LastRoomName() { return gLastRoom.Text(); }

// A room entered while the game quits or while another change is already
// asked for is never seen.
void CBaseRoom::StartRoom()
{
    CLuaRoom::StartRoom();
    StartIdleTimer();
    CxApp* app = CxApp::GetApp();
    CxRoomManager* rooms = GetScriptRoomManager();
    if ((app && app->GetQuitFlag()) || (rooms && rooms->IsLeavingRoom())) Hide();
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
