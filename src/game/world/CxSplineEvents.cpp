#include "game/world/CxSplineEvents.h"

#include "core/CxTime.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"
#include "game/world/C3DRoom.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
CxMoveClock gClock = nullptr;
uint32_t Now() { return gClock ? gClock() : QorTickCount(); }

bool Finite(const CxVec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Cox–de Boor with half-open intervals; terms over a zero knot span drop out.
float Basis(int k, int t, float v, const std::vector<float>& u)
{
    if (t == 1) return (u[size_t(k)] <= v && v < u[size_t(k) + 1]) ? 1.0f : 0.0f;
    float value = 0;
    float left = u[size_t(k + t - 1)] - u[size_t(k)];
    if (left != 0) value += (v - u[size_t(k)]) / left * Basis(k, t - 1, v, u);
    float right = u[size_t(k + t)] - u[size_t(k + 1)];
    if (right != 0) value += (u[size_t(k + t)] - v) / right * Basis(k + 1, t - 1, v, u);
    return value;
}
}  // namespace

void SetMoveClock(CxMoveClock clock) { gClock = clock; }
uint32_t MoveClockNow() { return Now(); }

std::vector<CxVec3> SampleSpline(const std::vector<CxVec3>& controls, int samples)
{
    std::vector<CxVec3> out;
    if (controls.empty()) return out;
    if (controls.size() == 1 || samples < 2) {
        // Nothing to interpolate: where the path starts and where it ends.
        out.push_back(controls.front());
        if (controls.size() > 1) out.push_back(controls.back());
        return out;
    }
    int n = int(controls.size()) - 1;
    int t = n >= 2 ? 3 : 2;
    std::vector<float> u(size_t(n + t + 1));
    for (int j = 0; j <= n + t; ++j) u[size_t(j)] = j < t ? 0.0f : j <= n ? float(j - t + 1) : float(n - t + 2);
    float d = float(n - t + 2) / float(samples - 1);
    for (int s = 0; s < samples - 1; ++s) {
        float v = d * float(s);
        CxVec3 p;
        for (int k = 0; k <= n; ++k) {
            float b = Basis(k, t, v, u);
            p.x += b * controls[size_t(k)].x, p.y += b * controls[size_t(k)].y, p.z += b * controls[size_t(k)].z;
        }
        out.push_back(p);
    }
    out.push_back(controls.back());
    return out;
}

float PolylineLength(const std::vector<CxVec3>& points)
{
    float length = 0;
    for (size_t i = 1; i < points.size(); ++i) {
        float dx = points[i].x - points[i - 1].x, dy = points[i].y - points[i - 1].y, dz = points[i].z - points[i - 1].z;
        length += std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    return length;
}

CxVec3 PointAlongPolyline(const std::vector<CxVec3>& points, float distance)
{
    if (points.empty()) return {};
    if (!(distance > 0)) return points.front();
    for (size_t i = 1; i < points.size(); ++i) {
        const CxVec3& a = points[i - 1];
        const CxVec3& b = points[i];
        float dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
        float segment = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (distance > segment) {
            distance -= segment;
            continue;
        }
        if (segment <= 0) return b;
        float f = distance / segment;
        return CxVec3{a.x + dx * f, a.y + dy * f, a.z + dz * f};
    }
    return points.back();
}

CSplineEventEx::CSplineEventEx(std::vector<CxVec3> controls, int samples, float speed)
    : controls_(std::move(controls)), samples_(samples), speed_(speed)
{
    controls_.erase(std::remove_if(controls_.begin(), controls_.end(), [](const CxVec3& v) { return !Finite(v); }),
                    controls_.end());
    Build();
}

void CSplineEventEx::Build()
{
    points_ = SampleSpline(controls_, samples_);
    length_ = PolylineLength(points_);
}

float CSplineEventEx::GetDurationSeconds() const
{
    if (!(speed_ > 0) || !std::isfinite(speed_) || !(length_ > 0)) return 0;
    return length_ / speed_;
}

void CSplineEventEx::Start()
{
    CxVec3 start;
    if (!controls_.empty() && CurrentStart(&start) && Finite(start)) {
        controls_.front() = start;
        Build();
    }
    started_ = true;
    done_ = false;
    startTick_ = Now();
    pausedFor_ = 0;
}

void CSplineEventEx::Pause()
{
    if (pauses_++ == 0) pausedAt_ = Now();
}

void CSplineEventEx::Resume()
{
    if (pauses_ == 0) return;
    if (--pauses_ == 0) pausedFor_ += Now() - pausedAt_;
}

bool CSplineEventEx::IsDone()
{
    if (done_) return true;
    if (!started_ || pauses_ > 0) return false;
    float duration = GetDurationSeconds();
    float elapsed = float(Now() - startTick_ - pausedFor_) / 1000.0f;
    if (duration <= 0 || elapsed >= duration) {
        if (!points_.empty()) Apply(points_.back());
        done_ = true;
        return true;
    }
    Apply(PointAlongPolyline(points_, speed_ * elapsed));
    return false;
}

CCameraMoveAlongSplineEvent::CCameraMoveAlongSplineEvent(Part part, std::vector<CxVec3> points, int samples,
                                                         float speed)
    : CSplineEventEx(std::move(points), samples, speed), part_(part)
{
}

bool CCameraMoveAlongSplineEvent::CurrentStart(CxVec3* start)
{
    C3DRoom* room = C3DRoom::GetRunning();
    if (!room) return false;
    const float* p = part_ == EYE ? room->GetCamera().eye : room->GetCamera().target;
    *start = CxVec3{p[0], p[1], p[2]};
    return true;
}

void CCameraMoveAlongSplineEvent::Apply(const CxVec3& point)
{
    C3DRoom* room = C3DRoom::GetRunning();
    if (!room || !Finite(point)) return;
    float* p = part_ == EYE ? room->GetCamera().eye : room->GetCamera().target;
    p[0] = point.x, p[1] = point.y, p[2] = point.z;
    room->GetCamera().valid = 1;
}

CCameraMoveAlongSplineEvent* NewZoomCameraEvent(int samples, float speed, float fraction)
{
    C3DRoom* room = C3DRoom::GetRunning();
    CxVec3 eye, goal;
    if (room && std::isfinite(fraction)) {
        const CxCamera& c = room->GetCamera();
        eye = CxVec3{c.eye[0], c.eye[1], c.eye[2]};
        goal = CxVec3{c.target[0] - (c.target[0] - c.eye[0]) * fraction, c.target[1] - (c.target[1] - c.eye[1]) * fraction,
                      c.target[2] - (c.target[2] - c.eye[2]) * fraction};
    }
    return new CCameraMoveAlongSplineEvent(CCameraMoveAlongSplineEvent::EYE, {eye, goal}, samples, speed);
}

namespace {
CxDisplayObject* FindIn(CxDisplayObject* node, uintptr_t identity)
{
    if (!node) return nullptr;
    if (reinterpret_cast<uintptr_t>(node) == identity) return node;
    for (auto* child = node->GetChildren().GetHead(); child; child = child->next)
        if (CxDisplayObject* found = FindIn(child->value, identity)) return found;
    return nullptr;
}

CxSprite* FindSprite(uintptr_t identity)
{
    return identity ? dynamic_cast<CxSprite*>(FindIn(GetRootObject(), identity)) : nullptr;
}
}  // namespace

CSpriteMoveAlongSplineEvent::CSpriteMoveAlongSplineEvent(uintptr_t sprite, std::vector<CxVec3> points, int samples,
                                                         float speed)
    : CSplineEventEx(std::move(points), samples, speed), sprite_(sprite)
{
}

bool CSpriteMoveAlongSplineEvent::CurrentStart(CxVec3* start)
{
    CxSprite* sprite = FindSprite(sprite_);
    if (!sprite) return false;
    CxPoint p = sprite->GetPosition(ANCHOR_TOP_LEFT);
    *start = CxVec3{float(p.x), float(p.y), 0};
    return true;
}

void CSpriteMoveAlongSplineEvent::Apply(const CxVec3& point)
{
    if (CxSprite* sprite = FindSprite(sprite_))
        sprite->SetPosition(int32_t(std::lround(point.x)), int32_t(std::lround(point.y)), ANCHOR_TOP_LEFT);
}

CxEvent* NewMoveSpriteEvent(CxLinkedList<CxString>& words)
{
    std::vector<double> n;
    for (auto* node = words.GetHead(); node; node = node->next) {
        double v = std::strtod(node->value.Text(), nullptr);
        n.push_back(std::isfinite(v) ? v : 0.0);
    }
    if (n.empty() || n[0] <= 0 || n[0] > double(UINTPTR_MAX)) return nullptr;
    uintptr_t sprite = uintptr_t(n[0]);
    int samples = n.size() > 1 ? int(std::clamp(n[1], 0.0, 100000.0)) : 0;
    float speed = n.size() > 2 ? float(n[2]) : 100.0f;
    std::vector<CxVec3> points = {CxVec3{}};   // replaced by the sprite's position at the start
    for (size_t i = 3; i + 1 < n.size(); i += 2) points.push_back(CxVec3{float(n[i]), float(n[i + 1]), 0});
    return new CSpriteMoveAlongSplineEvent(sprite, std::move(points), samples, speed);
}
