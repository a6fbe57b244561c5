// The framework's command events: "system.Quit()", "system.GotoRoom(House)".
// Its script functions come with the headless script API.
#include "framework/CKelApp.h"

#include "app/CxWindowApp.h"
#include "display/CxCursor.h"
#include "display/CxDialogRegistry.h"
#include "events/CxInterpolator.h"
#include "foundation/Qorstr.h"
#include "framework/CKelCommandArgs.h"
#include "app/CxGamePath.h"
#include "media/CxSoundServices.h"
#include "script/CxLuaEngine.h"

#include <cstdlib>

namespace {
bool Is(const char* command, const char* name) { return TextEquals(command, name, true); }

void SetVarRandom(CxLinkedList<CxString>& arguments)
{
    if (arguments.GetCount() < 3) return;
    int64_t low = CommandInt(arguments, 1), high = CommandInt(arguments, 2);
    int64_t span = high - low + 1;
    int64_t pick = span > 0 ? low + int64_t(rand()) % span : low;
    GetGlobalInterpolator().SetVariableNumber(CommandArg(arguments, 0), int(pick));
}
}  // namespace

int CKelApp::OnCommand(const char* command, CxLinkedList<CxString>& arguments)
{
    const char* first = CommandArg(arguments, 0);
    CxLuaEngine* engine = GetScriptEngine();
    if (Is(command, "EndModalDialog") && first) EndModalDialog(first);
    else if (Is(command, "Quit")) Quit();
    else if (Is(command, "Restart")) Restart();
    else if (Is(command, "DisableCursor")) DisableCursor();
    else if (Is(command, "EnableCursor")) EnableCursor();
    else if (Is(command, "SetVarRandom")) SetVarRandom(arguments);
    else if (Is(command, "PopRoom")) GetRooms().PopRoom();
    else if (Is(command, "PushRoom") && first) GetRooms().PushRoom(first);
    else if (Is(command, "GotoRoom") && first) GetRooms().GotoRoom(first);
    else if (Is(command, "RunScript") && first && engine) engine->RunFile(BuildGamePath(first).Text());
    else if (Is(command, "RunScriptString") && first && engine) engine->RunString(BuildGamePath(first).Text());
    else if (RunSoundCommand(command, arguments)) {}
    // "SetDebugWindowText" is accepted and does nothing: there is no debug window.
    return 0;
}
