// What code below the application layer may ask of the running application.
//
// Files, scripts, events and the display tree need a handful of services of
// the one application object: its options, the idle functions run by the
// main loop, the quit and restart requests, one more frame for a modal loop,
// and a few facts about the program.  They reach them through this interface
// instead of the application classes, which live in a higher layer
// (src/app/) and implement it.  While no application exists (tests of a
// single layer, the script runner before start-up) `Get` answers null and
// every caller has a sensible answer of its own.
#pragma once
#include "core/CxOptions.h"

using CxIdleFunction = void (*)();

class CxAppServices {
public:
    // The running application, or null.
    static CxAppServices* Get();

    // The application's own options ("Vorn.ini").
    virtual CxOptions& GetAppOptions() = 0;

    // Run in registration order at every pass of the main loop; adding one
    // twice runs it twice, removing it during a walk is safe.
    virtual void AddIdleFunction(CxIdleFunction function) = 0;
    virtual void RemoveIdleFunction(CxIdleFunction function) = 0;

    virtual void Quit() = 0;
    virtual void Restart() = 0;
    virtual int  GetQuitFlag() const = 0;

    // One pass of the main loop on behalf of a modal loop: 0 while the loop
    // may go on, non-zero when the application is quitting (the quit request
    // is put back so that the main loop sees it too).
    virtual int  RunModalFrame() = 0;
    // Paint requests still queued are dropped before a modal loop starts, so
    // the frame under the dialog is not painted twice.
    virtual void FlushPaintRequests() {}

    virtual const char* GetName() const = 0;
    virtual const char* GetBuildDate() const = 0;
    virtual const char* GetExePath() const = 0;
    virtual const char* GetStartDir() const = 0;

protected:
    CxAppServices() = default;
    virtual ~CxAppServices() = default;
    // The application installs itself at construction and removes itself at
    // destruction; only one exists at a time.
    static void Install(CxAppServices* app);
    static void Uninstall(CxAppServices* app);
};
