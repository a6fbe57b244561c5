// The room window base: a full-screen display object that lives for the
// whole run, entered and left through three steps each, with repeating
// script timers, a deferred-deletion list and a nesting pause counter.
#pragma once
#include "core/CxCleaner.h"
#include "core/CxPauseResume.h"
#include "core/CxTimer.h"
#include "display/CxSprite.h"

class CxGameWindow : public CxSprite, public CxPauseResume, public CxTimerListener {
public:
    CxGameWindow() = default;
    ~CxGameWindow() override;

    // Room lifecycle, in slot order.
    virtual void PrepareRoom() {}
    virtual void StartRoom() {}
    virtual void AfterStartRoom() {}
    virtual void BeforeStopRoom() {}
    virtual void StopRoom();
    virtual void AfterStopRoom() {}
    virtual void UpdateRoom() { cleaner_.Empty(); }
    virtual void OnRoomCreated() {}
    // Asked when the application wants to quit: 0 keeps it running.
    virtual int  OnQuitRequest() { return 1; }

    // Room timers: repeating every `interval` ms until killed.
    int  SetTimer(uint32_t id, uint32_t interval, uint32_t value = 0);
    // The timer goes to the deferred-deletion list, so a timer may be
    // killed from inside its own call.
    void KillTimer(uint32_t id);
    void PauseTimer(uint32_t id);
    void ResumeTimer(uint32_t id);
    int  TimerCount() const { return timers_.GetCount(); }
    void OnTimer(CxTimerCallBack* timer) override { OnRoomTimer(timer->GetId(), timer->GetUserData()); }
    virtual void OnRoomTimer(uint32_t id, uint32_t value) {}

    // Objects deleted at the next update or at stop.
    void DeleteLater(CxObject* object) { cleaner_.Add(object); }
    int  WaitingDeletions() const { return cleaner_.Count(); }

    // Pause hooks for the counting rule (PauseRoom / ResumeRoom).
    virtual void OnPause() {}
    virtual void OnResume() {}
    void Pause() override { OnPause(); }
    void Resume() override { OnResume(); }

private:
    CxTimerCallBack* FindTimer(uint32_t id) const;
    void KillAllTimers();

    CxLinkedList<CxTimerCallBack*> timers_;
    CxCleaner cleaner_;
};
