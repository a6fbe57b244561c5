// The pet's motion events: turning by an angle, turning to face a point or
// the camera, walking along a path with the walk clip, and the pet's walk
// that turns in place first.  Every event names its object by id and looks
// it up at each step, so an event still queued after its object died moves
// nothing and ends.
#pragma once
#include "events/CxEvent.h"
#include "foundation/CxString.h"
#include "game/world/CxSplineEvents.h"

#include <cstdint>
#include <string>
#include <vector>

class Cx3DObject;
class CPet;
struct CxCamera;

// A pausable millisecond clock on the moves' clock.
class CxMoveTimer {
public:
    void Restart();
    uint32_t Elapsed() const;
    void Pause();
    void Resume();
    bool IsPaused() const { return pauses_ > 0; }

private:
    uint32_t start_ = 0, pausedAt_ = 0, pausedFor_ = 0;
    int pauses_ = 0;
};

// Turns by a signed total angle (radians) at a speed (rad/s).
class CRotateAboutVectorEvent : public CxEvent {
public:
    explicit CRotateAboutVectorEvent(float totalRadians, float speed = 2.0944f);

    void Start() override;
    bool IsStarted() override { return started_; }
    void Stop() override { started_ = false; }
    bool IsDone() override;
    void Pause() override { timer_.Pause(); }
    void Resume() override { timer_.Resume(); }
    bool IsPaused() override { return timer_.IsPaused(); }

    float GetTotal() const { return total_; }
    float GetTurned() const { return turned_; }

protected:
    // By a signed delta; after it, `done_` says whether this was the last step.
    virtual void Step(float delta) = 0;
    float total_, turned_ = 0, previous_ = 0, speed_;
    bool done_ = false;

private:
    bool started_ = false;
    CxMoveTimer timer_;
};

// A pet turning in place about +y, with "TurnNinetyLeft" (negative angles)
// or "TurnNinetyRight" eased in and, once under 30 degrees remain, out.
class CPetTurnEvent : public CRotateAboutVectorEvent {
public:
    CPetTurnEvent(Cx3DObject& pet, float totalRadians, float speed = 2.61799f);
    void Start() override;
    bool IsDone() override;
    const char* GetTurnAnim() const { return anim_.c_str(); }
    bool IsEasedOut() const { return easedOut_; }

protected:
    void Step(float delta) override;
    Cx3DObject* Pet() const;
    uint32_t pet_;
    float axis_[3] = {0, 1, 0};
    std::string anim_;
    bool easedOut_ = false;
};

// Turns to face a point, the angle taken as the event starts.
class CPetFacePointEvent : public CPetTurnEvent {
public:
    CPetFacePointEvent(Cx3DObject& pet, const float point[3], float speed = 2.61799f);
    void Start() override;

protected:
    float point_[3];
};

// Turns to face the camera's eye where it is when the event starts.
class CPetFaceCameraEvent : public CPetFacePointEvent {
public:
    CPetFaceCameraEvent(Cx3DObject& pet, CxCamera& camera, float speed = 2.61799f);
    void Start() override;

private:
    CxCamera& camera_;
};

// An object along a path from where it stands, turned along the path, its
// walk clip eased out in the last second and its end clip eased in at the
// end (when the two differ).
class CObjectWalkAlongSplineEvent : public CSplineEventEx {
public:
    CObjectWalkAlongSplineEvent(Cx3DObject& object, const char* walkAnim, const char* endAnim,
                                std::vector<CxVec3> controls, int samples, float speed);
    void Start() override;
    bool IsDone() override;
    void Pause() override;
    void Resume() override;
    bool IsEndBlendStarted() const { return endBlendStarted_; }

protected:
    bool CurrentStart(CxVec3* start) override;
    void Apply(const CxVec3& point) override;
    Cx3DObject* Object() const;
    // The sampled path as walked from the object's position at the start.
    const std::vector<CxVec3>& Path() const { return path_; }

    uint32_t object_;
    std::string walkAnim_, endAnim_;
    float turnAxis_[3] = {0, 1, 0};
    bool endBlendStarted_ = false;

private:
    std::vector<CxVec3> controls_, path_;
    int samples_;
    float speed_;
    bool finished_ = false;
    CxMoveTimer walkTimer_;
};

// The pet's walk: a turn in place toward the path first, then the walk.
class CPetWalkToPositionEvent : public CObjectWalkAlongSplineEvent {
public:
    enum Phase { TURNING = 0, WALKING = 1, STARTING = 2 };
    CPetWalkToPositionEvent(Cx3DObject& pet, const char* walkAnim, const char* endAnim, std::vector<CxVec3> controls,
                            int samples, float speed);
    void Start() override;
    bool IsDone() override;
    void Pause() override;
    void Resume() override;
    Phase GetPhase() const { return phase_; }
    float GetTurnAngle() const { return angle_; }

private:
    std::string turnAnim_;
    float angle_ = 0, turned_ = 0, previous_ = 0, turnSpeed_ = 2.44346f;
    Phase phase_ = STARTING;
    CxMoveTimer turnTimer_;
};

// The pet's own events by kind (case ignored): "WalkToPosition", "TurnInPlace"
// and "FacePosition" with their words; null for any other kind, or for words
// that describe no motion (a walk without a point).
bool IsPetEventKind(const char* kind);
CxEvent* NewPetEvent(Cx3DObject& pet, const char* kind, CxLinkedList<CxString>& words);
// The pet room's "MakePetFaceCamera".
CxEvent* NewPetFaceCameraEvent(CPet& pet, CxCamera& camera, float speed);
