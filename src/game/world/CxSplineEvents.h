// Moves along a clamped uniform B-spline at a speed: the curve, its sampled
// polyline, the event that walks it, and the camera moves built on it.
// Every degenerate input (fewer than two samples, a zero or non-finite speed,
// a path of zero length) ends the move at its last point instead of
// dividing by zero.
#pragma once
#include "events/CxEvent.h"

#include <cstdint>
#include <vector>

struct CxVec3 {
    float x = 0, y = 0, z = 0;
};

// `samples` points on the curve through the control points (order 3, order 2
// for two points); the last is the last control point exactly.
std::vector<CxVec3> SampleSpline(const std::vector<CxVec3>& controls, int samples);
float PolylineLength(const std::vector<CxVec3>& points);
// The point `distance` along the polyline, clamped to its ends.
CxVec3 PointAlongPolyline(const std::vector<CxVec3>& points, float distance);

// The clock of the moves, in milliseconds; tests set their own.
using CxMoveClock = uint32_t (*)();
void SetMoveClock(CxMoveClock clock);
uint32_t MoveClockNow();

class CSplineEventEx : public CxEvent {
public:
    CSplineEventEx(std::vector<CxVec3> controls, int samples, float speed);

    void Start() override;
    bool IsStarted() override { return started_; }
    void Stop() override { started_ = false; }
    bool IsDone() override;   // moves to where the elapsed time puts it
    void Pause() override;
    void Resume() override;
    bool IsPaused() override { return pauses_ > 0; }

    float GetPathLength() const { return length_; }
    float GetDurationSeconds() const;   // 0 for a path that cannot be walked

protected:
    // The first control point as the event starts (the camera's eye, say).
    virtual bool CurrentStart(CxVec3*) { return false; }
    virtual void Apply(const CxVec3& point) = 0;

private:
    void Build();

    std::vector<CxVec3> controls_, points_;
    int samples_;
    float speed_, length_ = 0;
    bool started_ = false, done_ = false;
    uint32_t startTick_ = 0, pausedAt_ = 0, pausedFor_ = 0;
    int pauses_ = 0;
};

// Camera moves of the running 3D room: the eye along the path, the target
// along the path, or the eye straight toward the target.
class CCameraMoveAlongSplineEvent : public CSplineEventEx {
public:
    enum Part { EYE, TARGET };
    CCameraMoveAlongSplineEvent(Part part, std::vector<CxVec3> points, int samples, float speed);

protected:
    bool CurrentStart(CxVec3* start) override;
    void Apply(const CxVec3& point) override;

private:
    Part part_;
};

// `ZoomCamera samples speed fraction`: the eye's two points, now and
// target − (target − eye) × fraction.
CCameraMoveAlongSplineEvent* NewZoomCameraEvent(int samples, float speed, float fraction);

// "MoveSprite sprite samples speed x1 y1 [x2 y2 ...]": a 2D sprite along the
// path in the plane.  The sprite is named by its identity (its address as
// an integer) and looked up among the live objects of the display tree at
// every step, so a number that names no sprite, or one that has gone, moves
// nothing.
class CSpriteMoveAlongSplineEvent : public CSplineEventEx {
public:
    CSpriteMoveAlongSplineEvent(uintptr_t sprite, std::vector<CxVec3> points, int samples, float speed);

protected:
    bool CurrentStart(CxVec3* start) override;
    void Apply(const CxVec3& point) override;

private:
    uintptr_t sprite_;
};

class CxString;
template <typename T> class CxLinkedList;
// Null when the words name no sprite (identity 0).
CxEvent* NewMoveSpriteEvent(CxLinkedList<CxString>& words);
