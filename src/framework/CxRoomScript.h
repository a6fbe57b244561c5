// The global script functions of the room stack:
//
//   PushRoom(name) PopRoom() GotoRoom(name) PeekRoom() IsLeavingRoom()
//   ReloadRoom() GetCurRoomName() GetCurRoomPtr() PauseRoom() ResumeRoom()
//   RoomLoadSurface(path)
//   Room::SetTimer(room, id, interval[, value]) Room::KillTimer(room, id)
//   Room::PauseTimer(room, id) Room::ResumeTimer(room, id)
//   StartModalDialog(name) EndModalDialog(name)   (the dialogs of kel.ini)
//
// They act on the room manager the application hands over; while there is
// none (a headless host) they do nothing and answer as an empty stack would.
// The room reference of GetCurRoomPtr is a light userdata; the Room::
// functions accept it only while it names one of the manager's rooms.
#pragma once

#include "app/CxRoomManager.h"   // SetScriptRoomManager, GetScriptRoomManager

class CxLuaEngine;

int RegisterRoomScriptFunctions(CxLuaEngine& engine);
