// Objects that can be paused: rooms, timers, animations, 3D objects and the
// game application.  Pauses nest: only the first pause and the last resume
// act.  Owners go through CountPause/CountResume; Pause and Resume themselves
// never look at the count, so calling them directly would break the nesting.
#pragma once
#include <cstdint>

class CxPauseResume {
public:
    virtual ~CxPauseResume() = default;
    virtual void Pause() {}
    virtual void Resume() {}

    // Returns true when this call acted (0 -> 1, or 1 -> 0).
    bool CountPause()
    {
        if (++pauseCount_ != 1) return false;
        Pause();
        return true;
    }
    bool CountResume()
    {
        if (pauseCount_ <= 0) return false;   // an unmatched resume changes nothing
        if (--pauseCount_ != 0) return false;
        Resume();
        return true;
    }
    int32_t GetPauseCount() const { return pauseCount_; }
    bool IsPaused() const { return pauseCount_ > 0; }

protected:
    int32_t pauseCount_ = 0;
};
