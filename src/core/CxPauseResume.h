// Objects that can be paused: rooms, timers, animations, 3D objects and the
// game application.  Pauses nest; see the timer unit for the counting rule.
#pragma once

class CxPauseResume {
public:
    virtual ~CxPauseResume() = default;
    virtual void Pause() {}
    virtual void Resume() {}
};
