// Room and dialog description files: any bytes, read as a room's and a
// dialog's description, must start and stop the room, run the room's
// commands and describe the dialog without crashing or growing without
// bound.  No script engine runs: the lines are only read.
#include "core/CxError.h"
#include "events/CxEvent.h"
#include "framework/CKelDialog.h"
#include "framework/CKelWindow.h"

#include <cstdint>

namespace {
int Quiet(int, const char*) { return 0; }

void Command(CKelWindow& room, const char* name, const char* argument)
{
    CxLinkedList<CxString> arguments;
    if (argument) arguments.AddTail(CxString(argument));
    room.OnCommand(name, arguments);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorCallback(Quiet);
    SetErrorCount(0);
    {
        CKelWindow room;
        room.SetName("Fuzz");
        room.GetDescription().LoadFromMemory(data, size);
        room.StartRoom();
        Command(room, "SetScore", "2147483647");
        Command(room, "AddScore", "1");
        Command(room, "BulgeScore", "40");
        Command(room, "NextLevel", nullptr);
        Command(room, "SetState", "-5");
        Command(room, "StartFlashButton", "Button0");
        room.UpdateRoom();
        room.StopRoom();

        CKelDialog dialog;
        dialog.Describe(room.GetDescription());
        CxLinkedList<CxString> none;
        dialog.OnCommand("Center", none);
    }
    CxEvent::DestroyAllChannels();
    return 0;
}
