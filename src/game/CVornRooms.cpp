// The game's rooms.  The house is the pet room; the menus and kennels are
// scripted rooms laid out by their description files, some with a preview.
#include "app/CxRoomManager.h"
#include "framework/CBaseRoom.h"
#include "game/screens/CLoadMenu.h"
#include "game/screens/COptionsMenu.h"
#include "game/screens/CPreviewRoom.h"
#include "game/world/CHouse.h"

namespace {
CxGameWindow* NewHouse() { return new CHouse(); }
CxGameWindow* NewKennel() { return new CKennel(); }
CxGameWindow* NewCert() { return new CCert(); }
CxGameWindow* NewMainMenu() { return new CMainMenu(); }
CxGameWindow* NewLoadMenu() { return new CLoadMenu(); }
CxGameWindow* NewOptionsMenu() { return new COptionsMenu(); }

CxRoomRegistrar gHouse("House", NewHouse);
CxRoomRegistrar gKennel1("Kennel1", NewKennel);
CxRoomRegistrar gKennel2("Kennel2", NewKennel);
CxRoomRegistrar gKennel3("Kennel3", NewCert);
CxRoomRegistrar gLoadMenu("LoadMenu", NewLoadMenu);
CxRoomRegistrar gMainMenu("MainMenu", NewMainMenu);
CxRoomRegistrar gOptionsMenu("OptionsMenu", NewOptionsMenu);
}  // namespace
