// Named mutexes shared between processes: an flock-ed file under
// $XDG_RUNTIME_DIR (or /tmp) named after the mutex.  Inside one process the
// same name gives independent handles, as on the original system.
#pragma once

struct PlatMutex;

PlatMutex* PlatMutexCreate(const char* name);
void PlatMutexDestroy(PlatMutex* mutex);      // null is ignored
bool PlatMutexLock(PlatMutex* mutex);         // waits without limit
bool PlatMutexTryLock(PlatMutex* mutex);      // false when another holder has it
void PlatMutexUnlock(PlatMutex* mutex);
