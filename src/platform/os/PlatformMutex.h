// Named mutexes shared between the processes of one user: an flock-ed file
// named after the mutex, under $XDG_RUNTIME_DIR (the user's own folder), else
// in the temporary folder ($TMPDIR or /tmp) with the user id in its name.
// $VORN_LOCK_NAMESPACE, when set, goes into the name too: the test suite runs
// its games under their own locks, apart from a game the developer has open.
// Inside one process the same name gives independent handles, as on the
// original system.
#pragma once

struct PlatMutex;

PlatMutex* PlatMutexCreate(const char* name);
void PlatMutexDestroy(PlatMutex* mutex);      // null is ignored
bool PlatMutexLock(PlatMutex* mutex);         // waits without limit
bool PlatMutexTryLock(PlatMutex* mutex);      // false when another holder has it
void PlatMutexUnlock(PlatMutex* mutex);
