// The framework's command events ("system.Quit()", "system.GotoRoom(House)")
// (the script functions of the framework come with the headless API).
#include "framework/CKelApp.h"

#include "core/CxWindowApp.h"
#include "display/CxCursor.h"
#include "display/CxDialogRegistry.h"
#include "events/CxInterpolator.h"
#include "foundation/Qorstr.h"
#include "framework/CxGamePath.h"
#include "script/CxLuaEngine.h"

#include <cstdlib>

namespace {
const char* Argument(CxLinkedList<CxString>& arguments, int index)
{
    auto* node = arguments.GetHead();
    for (int i = 0; node && i < index; ++i) node = node->next;
    return node ? node->value.Text() : nullptr;
}

bool Is(const char* command, const char* name) { return TextEquals(command, name, true); }

void SetVarRandom(CxLinkedList<CxString>& arguments)
{
    if (arguments.GetCount() < 3) return;
    int low = atoi(Argument(arguments, 1)), high = atoi(Argument(arguments, 2));
    int span = high - low + 1;
    GetGlobalInterpolator().SetVariableNumber(Argument(arguments, 0), span > 0 ? low + rand() % span : low);
}

}  // namespace

int CKelApp::OnCommand(const char* command, CxLinkedList<CxString>& arguments)
{
    const char* first = Argument(arguments, 0);
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
    // The audio commands ("FlushAudioChannel", "StartMusic" ...) and
    // "SetDebugWindowText" are accepted and do nothing: there is no sound
    // system in this build.
    return 0;
}
