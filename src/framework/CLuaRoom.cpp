#include "framework/CLuaRoom.h"
#include "files/QorFile.h"
#include "script/CxLuaEngine.h"

#include <cstdarg>
#include <cstdio>

namespace {
CxLinkedList<const CLuaRoom*> gLiveRooms;
}

CLuaRoom::CLuaRoom() { gLiveRooms.AddTail(this); }
CLuaRoom::~CLuaRoom() { gLiveRooms.Remove(this); }

bool CLuaRoom::IsLive(const CLuaRoom* room) { return room && gLiveRooms.Find(room) != nullptr; }

void CLuaRoom::CallRoom(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    RunScriptLine(line);
}

// ------------------------------------------------------------- lifecycle
void CLuaRoom::PrepareRoom()
{
    BuildRoomTable();
    CreateActivityFileSystem();
    CxString script;
    script.Format("%s.lua", GetName());
    RunScriptFileIfExists(script);
}

void CLuaRoom::StartRoom()
{
    CKelWindow::StartRoom();
    CallRoom("Room.OnStartRoom()");
}

// Scripted rooms play no fade movies: the script decides what a visit looks like.
void CLuaRoom::AfterStartRoom() { CallRoom("Room.OnAfterStart()"); }
void CLuaRoom::BeforeStopRoom() { CallRoom("Room.OnBeforeStop()"); }

void CLuaRoom::StopRoom()
{
    CallRoom("Room.OnStopRoom()");
    CKelWindow::StopRoom();
}

void CLuaRoom::AfterStopRoom()
{
    CallRoom("Room.OnAfterStop()");
    RunScriptLine("Room = nil");
}

// ------------------------------------------------------------- input
void CLuaRoom::OnMouseMove(uint32_t keys, CxPoint point)
{
    CallRoom("Room.OnMouseMove(%d, %d)", int(point.x), int(point.y));
    CxLuaEngine* engine = GetScriptEngine();
    // A room that draws its own pointer turns the default handling off.
    if (!engine || engine->EvalBool("g_bAllowDefaultCursor == nil or g_bAllowDefaultCursor", true))
        CKelWindow::OnMouseMove(keys, point);
}

void CLuaRoom::OnLButtonDown(uint32_t keys, CxPoint point)
{
    CallRoom("Room.OnLButtonDown(%d, %d)", int(point.x), int(point.y));
    CKelWindow::OnLButtonDown(keys, point);
}

CxDisplayObject* CLuaRoom::OnLButtonUp(uint32_t keys, CxPoint point)
{
    CallRoom("Room.OnLButtonUp(%d, %d)", int(point.x), int(point.y));
    return CKelWindow::OnLButtonUp(keys, point);
}

CxDisplayObject* CLuaRoom::OnRButtonDown(uint32_t keys, CxPoint point)
{
    CallRoom("Room.OnRButtonDown(%d, %d)", int(point.x), int(point.y));
    return CKelWindow::OnRButtonDown(keys, point);
}

// The framework has no handling of its own here, so the release does not
// count as input for the idle timer.
CxDisplayObject* CLuaRoom::OnRButtonUp(uint32_t keys, CxPoint point)
{
    CallRoom("Room.OnRButtonUp(%d, %d)", int(point.x), int(point.y));
    return CxGameWindow::OnRButtonUp(keys, point);
}

void CLuaRoom::OnKeyDown(KeyCode key, uint32_t flags)
{
    CallRoom("Room.OnKeyHit(%d)", int(key));
    CKelWindow::OnKeyDown(key, flags);
}

void CLuaRoom::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    int id = sender ? int(sender->GetControlID()) : 0;
    CallRoom("Room.OnParentNotify(%d, %d, %d, %d)", int(kind), id, int(code), int(extra));
    CKelWindow::OnNotify(kind, sender, code, extra);
}

void CLuaRoom::OnActivate() { RunScriptLine("if (Room ~= nil) then Room.OnActivate() end"); }

// ------------------------------------------------------------- timers and counters
void CLuaRoom::OnRoomTimer(uint32_t id, uint32_t value)
{
    CallRoom("Room.OnTimer(%d)", int(id));
    CKelWindow::OnRoomTimer(id, value);
}

void CLuaRoom::OnPause()
{
    CallRoom("Room.OnPause()");
    CKelWindow::OnPause();
}

void CLuaRoom::OnResume()
{
    CKelWindow::OnResume();
    CallRoom("Room.OnResume()");
}

void CLuaRoom::OnIdleTimeOut(int count)
{
    CallRoom("Room.OnIdleTimeOut(%d)", count);
    CKelWindow::OnIdleTimeOut(count);
}

void CLuaRoom::OnStateChange(int32_t state)
{
    CallRoom("Room.OnStateChange(%d)", int(state));
    CKelWindow::OnStateChange(state);
}
