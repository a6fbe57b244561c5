// The concrete events posted to channels, apart from the script and sequence
// kinds which have units of their own.
#pragma once
#include "core/CxTimer.h"
#include "events/CCommandHandler.h"
#include "events/CxEvent.h"
#include "events/CxEventSound.h"
#include "events/CxInterpolator.h"

// Done as soon as it starts: a mark in a channel that listeners hear of.
class CInfoEvent : public CxEvent {
public:
    explicit CInfoEvent(int32_t info = 0) { info_ = info; }
    void Release() override { state_ = 0; }
    void Start() override { state_ |= 1; }
    bool IsStarted() override { return (state_ & 1) != 0; }
    void Stop() override {}
    bool IsDone() override { return true; }
    void Pause() override { state_ |= 2; }
    void Resume() override { state_ &= ~2u; }
    bool IsPaused() override { return (state_ & 2) != 0; }

protected:
    uint32_t state_ = 0;
};

class CCommandEvent : public CInfoEvent {
public:
    CCommandEvent(CCommandHandler* handler, const char* command, CxLinkedList<CxString>& arguments);
    void Start() override;
    const char* GetCommand() const { return command_.Text(); }

private:
    CCommandHandler* handler_;
    CxString command_;
    CxLinkedList<CxString> arguments_;
};

class CWaitForChannelEvent : public CInfoEvent {
public:
    explicit CWaitForChannelEvent(uint32_t channelId) : waitFor_(channelId) {}
    bool IsDone() override { return CxEvent::IsChannelEmpty(waitFor_); }

private:
    uint32_t waitFor_;
};

// Runs for `Duration` ms; 0 never ends by itself.  Pauses nest.
class CTimerEvent : public CxEvent {
public:
    explicit CTimerEvent(uint32_t duration) : timer_(nullptr, TIMER_NO_PERIOD), duration_(duration) {}
    void Release() override { timer_.Reset(); }
    void Start() override { timer_.Start(duration_); }
    bool IsStarted() override { return timer_.IsStarted(); }
    void Stop() override { timer_.Reset(); }
    bool IsDone() override;
    void Pause() override { timer_.CountPause(); }
    void Resume() override { timer_.CountResume(); }
    bool IsPaused() override { return timer_.IsPaused(); }
    uint32_t GetDuration() const { return duration_; }

protected:
    CxTimerCallBack timer_;
    uint32_t duration_;
};

// Made from its text only when it starts, so variables are read then.
class CxDynamicEvent : public CxEvent {
public:
    CxDynamicEvent(const char* text, const CxInterpolator* variables, CxEventCreator* creator);
    ~CxDynamicEvent() override;
    void Release() override { Forward(&CxEvent::Release); }
    void Start() override;
    bool IsStarted() override { return inner_ && inner_->IsStarted(); }
    void Stop() override { Forward(&CxEvent::Stop); }
    bool IsDone() override { return !inner_ || inner_->IsDone(); }
    void Pause() override { Forward(&CxEvent::Pause); }
    void Resume() override { Forward(&CxEvent::Resume); }
    bool IsPaused() override { return inner_ && inner_->IsPaused(); }
    void OnDone() override;

private:
    void Forward(void (CxEvent::*operation)())
    {
        if (inner_) (inner_->*operation)();
    }
    CxString text_;
    const CxInterpolator* variables_;
    CxEventCreator* creator_;
    CxEvent* inner_ = nullptr;
};

enum CSoundEventFlags : uint32_t {
    SOUND_EVENT_OWNS_SOUND = 0x01,
    SOUND_EVENT_STARTED = 0x02,
    SOUND_EVENT_NO_WAIT = 0x04,
    SOUND_EVENT_FLUSH_CHANNEL = 0x08,
    SOUND_EVENT_IF_CHANNEL_EMPTY = 0x10,
    SOUND_EVENT_SKIPPED = 0x20,
};

// Plays one sound file, directly or queued on a sound channel (0 to 7).
// The sound comes from the sound system's host when the event is made: a
// subtitle it owns, or a cached sound it only borrows.  Without a host (or
// a sound) the event completes at once.
class CSoundEvent : public CxEvent {
public:
    CSoundEvent(const char* file, int soundChannel, uint32_t soundFlags);
    ~CSoundEvent() override;
    CSoundEvent(const CSoundEvent&) = delete;
    CSoundEvent& operator=(const CSoundEvent&) = delete;
    void Release() override { soundFlags_ &= ~(SOUND_EVENT_STARTED | SOUND_EVENT_SKIPPED); }
    void Start() override;
    bool IsStarted() override { return (soundFlags_ & SOUND_EVENT_STARTED) != 0; }
    void Stop() override;
    bool IsDone() override;
    void Pause() override;
    void Resume() override;
    bool IsPaused() override;
    const char* GetFile() const { return file_.Text(); }
    uint32_t GetSoundFlags() const { return soundFlags_; }
    int GetSoundChannel() const { return soundChannel_; }
    CxEventSound* GetSound() const { return sound_; }

private:
    CxString file_;
    int soundChannel_;
    uint32_t soundFlags_;
    CxEventSound* sound_ = nullptr;
};
