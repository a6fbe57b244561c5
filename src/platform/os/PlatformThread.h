// Worker threads.  The engine runs one at most (the cursor thread).
#pragma once
#include <cstddef>

struct PlatThread;
using PlatThreadBody = void (*)(void* argument);

// Starts body(argument) on a new thread; the stack is at least `stackSize`
// bytes and never below the system's minimum.  Null when refused.
PlatThread* PlatThreadStart(PlatThreadBody body, void* argument, size_t stackSize);
// Waits for the thread to end and frees it.
void PlatThreadJoin(PlatThread* thread);
