// The game's rooms.  The house and the kennels are 3D rooms; the menus are
// scripted rooms laid out by their description files.
#include "app/CxRoomManager.h"
#include "framework/CBaseRoom.h"
#include "game/screens/CLoadMenu.h"
#include "game/screens/COptionsMenu.h"
#include "game/screens/CPreviewRoom.h"
#include "game/world/C3DRoom.h"

namespace {
CxGameWindow* New3DRoom() { return new C3DRoom(); }
CxGameWindow* NewKennel() { return new CKennel(); }
CxGameWindow* NewCert() { return new CCert(); }
CxGameWindow* NewMainMenu() { return new CMainMenu(); }
CxGameWindow* NewLoadMenu() { return new CLoadMenu(); }
CxGameWindow* NewOptionsMenu() { return new COptionsMenu(); }

CxRoomRegistrar gHouse("House", New3DRoom);
CxRoomRegistrar gKennel1("Kennel1", NewKennel);
CxRoomRegistrar gKennel2("Kennel2", NewKennel);
CxRoomRegistrar gKennel3("Kennel3", NewCert);
CxRoomRegistrar gLoadMenu("LoadMenu", NewLoadMenu);
CxRoomRegistrar gMainMenu("MainMenu", NewMainMenu);
CxRoomRegistrar gOptionsMenu("OptionsMenu", NewOptionsMenu);
}  // namespace
