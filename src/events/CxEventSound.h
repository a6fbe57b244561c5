// What the sound event kinds need of a sound, and of the sound system that
// makes them.  The sound system lives in a higher layer and installs its
// host at start-up; without one every sound event completes at once.
#pragma once

class CxEventSound {
public:
    virtual ~CxEventSound() = default;
    virtual int  Play() = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual bool IsPaused() = 0;
    virtual bool IsEventDone() = 0;   // finished, or will never start
    virtual int  GetChannel() = 0;
    virtual void PlayQueuedOn(int channel) = 0;   // queued play on that sound channel
};

struct CxSoundEventHost {
    // The sound for `file`: a subtitle made for the event (owned = true) or
    // one from the application's sound cache.  Null when none can be had.
    CxEventSound* (*acquire)(const char* file, bool* owned);
    void (*release)(CxEventSound* sound, bool owned);
    void (*flushChannel)(int channel);
    bool (*isChannelFree)(int channel);
};

void SetSoundEventHost(const CxSoundEventHost* host);   // null removes it
const CxSoundEventHost* GetSoundEventHost();
