// The game's rooms.  Until the 3D rooms and the menu screens exist every
// room is a plain scripted room laid out by its description file.
#include "framework/CBaseRoom.h"
#include "app/CxRoomManager.h"

namespace {
CxGameWindow* NewScriptedRoom() { return new CBaseRoom(); }

CxRoomRegistrar gHouse("House", NewScriptedRoom);
CxRoomRegistrar gKennel1("Kennel1", NewScriptedRoom);
CxRoomRegistrar gKennel2("Kennel2", NewScriptedRoom);
CxRoomRegistrar gKennel3("Kennel3", NewScriptedRoom);
CxRoomRegistrar gLoadMenu("LoadMenu", NewScriptedRoom);
CxRoomRegistrar gMainMenu("MainMenu", NewScriptedRoom);
CxRoomRegistrar gOptionsMenu("OptionsMenu", NewScriptedRoom);
}  // namespace
