// The framework's application layer: the game host plus what every game of
// the framework shares, read from "kel.ini": buttons that rooms may show,
// named dialogs, named cursors, intro movies and the closing credits.  It
// also owns the "system" event channel, answers command events and runs
// "startup.lua", which enters the first room.
#pragma once
#include "app/CxGameApp.h"
#include "events/CCommandHandler.h"
#include "events/CxEvent.h"

class CKelDialog;

class CKelApp : public CxGameApp, public CxEventCreator, public CCommandHandler {
public:
    explicit CKelApp(const CxAppInfo& info);
    ~CKelApp() override;

    // Virtual operations added by the framework layer, in slot order.
    virtual int  LoadCursors();
    virtual void PlayIntroMovies();
    virtual void ShowCredits();

    CxGameWindow* CreateRoom(CxRoomRegistrar* registrar) override;
    void StartCycle() override;
    void ReadyCycle() override;
    void StopCycle() override;
    void RegisterScriptFunctions() override;
    void UpdateFrame() override;
    void OnActivate() override;
    void OnDeactivate() override;

    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;
    int OnCommand(const char* command, CxLinkedList<CxString>& arguments) override;

    CxOptions& GetFrameworkOptions() { return kel_; }
    // The dialogs of kel.ini by name, without regard to case.
    CKelDialog* FindDialog(const char* name) const;
    bool IsActive() const { return active_; }
    uint32_t GetSystemChannel() const { return systemChannel_; }

    static CKelApp* Get();

private:
    void LoadGlobals();
    void DestroyGlobals();
    void CreateSystemChannel();
    void DestroySystemChannel();
    void RunFileIfExists(const char* path);
    // The movie layer's wiring (CKelAppMovies.cpp).
    void StartMovies();
    void StopMovies();

    CxOptions kel_;
    uint32_t systemChannel_ = 0;
    bool active_ = false;
};
