// Sprite animation paths.
//
// An animation drives one display object through a list of paths.  A path
// may place the object, move it towards a target at a speed (pixels per
// second), change its z-order, play frames at a frame rate, and ends after a
// duration, at an end frame, or on arrival at its target; whichever of these
// its flags enable.  A path runs `loops` times, the list runs `cycles` times,
// and a listener hears when a path ends (and, on request, about every frame
// change or movement step).
//
// Every playing animation is advanced once per frame by one engine-wide
// routine, registered as an idle function of the application while anything
// plays.  Without an application (tests, tools) UpdatePlayingAnimations is
// called directly.
//
// An animation forgets its display object when that object is destroyed, so
// scripts may drop the sprite before the animation.  A listener may stop,
// restart or change any animation from its call, and delete others, but not
// delete the animation that is calling it.
#pragma once
#include "core/CxError.h"
#include "core/CxPauseResume.h"
#include "core/CxTimer.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxObject.h"

#include <cstdint>

class CxDisplayObject;

enum CxAnimationPathFlags : uint32_t {
    PATH_POSITION = 0x01,
    PATH_TARGET = 0x02,
    PATH_ANCHOR = 0x04,
    PATH_ZORDER = 0x08,
    PATH_SPEED = 0x10,
    PATH_LOOPS = 0x20,
    PATH_DURATION = 0x40,
    PATH_FRAMERATE = 0x80,
    PATH_STARTFRAME = 0x100,
    PATH_ENDFRAME = 0x200,
    PATH_NOTIFY_FRAME = 0x10000000,
    PATH_FRAMES_FROM_START = 0x20000000,
    PATH_NOTIFY_MOVE = 0x40000000,
    PATH_FINAL = 0x80000000,
};

struct CxAnimationPath {
    uint32_t flags = 0;
    int32_t x = 0, y = 0;
    int32_t targetX = 0, targetY = 0;
    int32_t anchor = 0;
    int32_t zOrder = 0;
    float speed = 1;
    int32_t loops = 1;
    int32_t duration = 0;     // ms
    float frameRate = 0;      // frames per second
    int32_t startFrame = 0;
    int32_t endFrame = 0;
};

class CxAnimation;

class CxAnimationListener {
public:
    virtual ~CxAnimationListener() = default;
    virtual void OnAnimationNotify(CxAnimation* animation) = 0;
};

class CxAnimation : public CxObject, public CxError, public CxPauseResume {
public:
    CxAnimation();
    ~CxAnimation() override;
    CxAnimation(const CxAnimation&) = delete;
    CxAnimation& operator=(const CxAnimation&) = delete;

    void Pause() override;
    void Resume() override;

    virtual void Play(int32_t path = 0);
    virtual void Stop();
    virtual bool IsPlaying() const { return (state_ & kPlaying) != 0; }
    virtual void SetRelativeStart(bool on) { SetState(kRelative, on); }
    virtual bool GetRelativeStart() const { return (state_ & kRelative) != 0; }
    virtual void SetStationary(bool on) { SetState(kStationary, on); }
    virtual bool GetStationary() const { return (state_ & kStationary) != 0; }
    virtual void SetLoops(int32_t cycles) { cycles_ = cyclesLeft_ = cycles; }
    virtual int32_t GetLoops() const { return cycles_; }
    virtual void SetSprite(CxDisplayObject* object) { object_ = object; }
    virtual CxDisplayObject* GetSprite() const { return object_; }
    virtual void SetListener(CxAnimationListener* listener) { listener_ = listener; }
    virtual CxAnimationListener* GetListener() const { return listener_; }
    virtual void InsertPaths(int32_t index, const CxAnimationPath* paths, int32_t count);
    virtual void RemovePath(int32_t index);
    virtual void RemoveAllPaths();
    virtual void AddPathsToTail(const CxAnimationPath* paths, int32_t count);
    virtual void InsertPath(int32_t index, const CxAnimationPath& path) { InsertPaths(index, &path, 1); }
    virtual int  SetCurAction(int32_t index, bool resetLoops = true);
    virtual int32_t GetCurAction() const { return current_; }
    virtual int32_t GetNumPaths() const { return paths_.GetCount(); }
    virtual const CxAnimationPath* GetPath(int32_t index) const;   // -1: the current path
    virtual int32_t GetPathLoops() const { return loopsLeft_; }
    virtual void Update();
    virtual void NextPath();

    // Called by a dying display object.
    static void ForgetObject(CxDisplayObject* object);

private:
    static constexpr uint32_t kPlaying = 1, kRelative = 2, kStationary = 4;
    void SetState(uint32_t bit, bool on) { state_ = on ? (state_ | bit) : (state_ & ~bit); }
    CxAnimationPath* Current();
    bool Move(const CxAnimationPath& path);
    bool StepFrames(const CxAnimationPath& path);
    int32_t CurrentFrame() const;
    void ShowFrame(int32_t frame);
    void StartTimers(const CxAnimationPath& path);
    void StopTimers();
    void Notify();

    CxLinkedList<CxAnimationPath> paths_;
    CxTimer frameTimer_;
    CxTimer moveTimer_;
    CxTimer durationTimer_;
    uint32_t frameInterval_ = 0;   // ms per frame of the current path
    int32_t framesPlayed_ = 0;     // since the current path started
    CxAnimationListener* listener_ = nullptr;
    CxDisplayObject* object_ = nullptr;
    float exact_[3] = {0, 0, 0};
    int32_t current_ = 0;
    int32_t loopsLeft_ = 0;
    int32_t cycles_ = 1;
    int32_t cyclesLeft_ = 1;
    uint32_t state_ = 0;
};

// The engine-wide routine: advances every playing animation once.
void UpdatePlayingAnimations();
int  PlayingAnimationCount();
// At most this many updates per second; 0 (the default) means every call.
void SetAnimationRateLimit(uint32_t updatesPerSecond);
