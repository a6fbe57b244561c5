// An object called once per frame.  Constructing one registers it, destroying
// it unregisters it.  The hooks share one idle function, added to the
// application with the first hook and removed with the last.  A hook may
// destroy itself, or any other hook, from its own call.
#pragma once
#include "foundation/CxObject.h"

class CxMainLoopHook : public CxObject {
public:
    CxMainLoopHook();
    ~CxMainLoopHook() override;
    CxMainLoopHook(const CxMainLoopHook&) = delete;
    CxMainLoopHook& operator=(const CxMainLoopHook&) = delete;

    virtual void OnMainLoop() {}

    static int HookCount();
    // The idle function that walks the hooks; also callable directly.
    static void RunHooks();
};
