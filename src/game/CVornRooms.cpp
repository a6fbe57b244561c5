// The game's rooms.  The house and the kennels are 3D rooms; the menus are
// scripted rooms laid out by their description files.
#include "app/CxRoomManager.h"
#include "framework/CBaseRoom.h"
#include "game/world/C3DRoom.h"
#include "game/world/CHouse.h"

namespace {
CxGameWindow* NewScriptedRoom() { return new CBaseRoom(); }
CxGameWindow* New3DRoom() { return new C3DRoom(); }
CxGameWindow* NewHouse() { return new CHouse(); }

CxRoomRegistrar gHouse("House", NewHouse);
CxRoomRegistrar gKennel1("Kennel1", New3DRoom);
CxRoomRegistrar gKennel2("Kennel2", New3DRoom);
CxRoomRegistrar gKennel3("Kennel3", New3DRoom);
CxRoomRegistrar gLoadMenu("LoadMenu", NewScriptedRoom);
CxRoomRegistrar gMainMenu("MainMenu", NewScriptedRoom);
CxRoomRegistrar gOptionsMenu("OptionsMenu", NewScriptedRoom);
}  // namespace
