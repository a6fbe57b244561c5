#include "game/world/CPetEvents.h"

#include "foundation/Qorstr.h"
#include "game/world/C3DRoom.h"
#include "game/world/CPet.h"
#include "game/world/Cx3DObject.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr float kEaseOutRemaining = 0.5235988f;   // 30 degrees
constexpr float kDegrees = 57.295776f;

const char* TurnAnimFor(float angle) { return angle < 0 ? "TurnNinetyLeft" : "TurnNinetyRight"; }

void PositionOf(const Cx3DObject& o, float p[3])
{
    const GpuMatrix& m = o.GetOrientation();
    p[0] = m.m[3][0], p[1] = m.m[3][1], p[2] = m.m[3][2];
}

bool Finite(float v) { return std::isfinite(v); }
}  // namespace

// ---------------------------------------------------------------- the clock
void CxMoveTimer::Restart()
{
    start_ = MoveClockNow();
    pausedFor_ = 0;
    if (pauses_ > 0) pausedAt_ = start_;
}

uint32_t CxMoveTimer::Elapsed() const
{
    uint32_t now = pauses_ > 0 ? pausedAt_ : MoveClockNow();
    return now - start_ - pausedFor_;
}

void CxMoveTimer::Pause()
{
    if (pauses_++ == 0) pausedAt_ = MoveClockNow();
}

void CxMoveTimer::Resume()
{
    if (pauses_ == 0) return;
    if (--pauses_ == 0) pausedFor_ += MoveClockNow() - pausedAt_;
}

// ---------------------------------------------------------------- rotation
CRotateAboutVectorEvent::CRotateAboutVectorEvent(float totalRadians, float speed)
    : total_(Finite(totalRadians) ? totalRadians : 0.0f), speed_(speed)
{
}

void CRotateAboutVectorEvent::Start()
{
    started_ = true;
    done_ = false;
    turned_ = previous_ = 0;
    timer_.Restart();
}

bool CRotateAboutVectorEvent::IsDone()
{
    if (done_) return true;
    if (!started_ || timer_.IsPaused()) return false;
    float whole = std::fabs(total_);
    // A speed that never gets there turns the whole angle at once.
    bool moving = Finite(speed_) && speed_ > 0;
    turned_ = moving ? speed_ * float(timer_.Elapsed()) / 1000.0f : whole;
    if (turned_ >= whole - 0.02f) {
        turned_ = whole;
        done_ = true;
    }
    float delta = turned_ - previous_;
    previous_ = turned_;
    Step(total_ < 0 ? -delta : delta);
    return done_;
}

// ---------------------------------------------------------------- pet turns
CPetTurnEvent::CPetTurnEvent(Cx3DObject& pet, float totalRadians, float speed)
    : CRotateAboutVectorEvent(totalRadians, speed), pet_(pet.GetId())
{
}

Cx3DObject* CPetTurnEvent::Pet() const { return Cx3DObject::FindLive(pet_); }

void CPetTurnEvent::Start()
{
    easedOut_ = false;
    anim_ = TurnAnimFor(total_);
    if (Cx3DObject* pet = Pet()) {
        pet->BlendOut("", 0.5f, -1);
        pet->BlendIn(anim_.c_str(), 0.2f, -1, 0);
    }
    CRotateAboutVectorEvent::Start();
}

bool CPetTurnEvent::IsDone()
{
    // A pet that is gone has nothing left to turn.
    if (!Pet()) return true;
    return CRotateAboutVectorEvent::IsDone();
}

void CPetTurnEvent::Step(float delta)
{
    Cx3DObject* pet = Pet();
    if (!pet) return;
    pet->RotateAbout(delta, axis_[0], axis_[1], axis_[2]);
    if (!easedOut_ && (done_ || std::fabs(total_) - turned_ < kEaseOutRemaining)) {
        easedOut_ = true;
        pet->BlendOut(anim_.c_str(), 0.2f, -1);
    }
}

CPetFacePointEvent::CPetFacePointEvent(Cx3DObject& pet, const float point[3], float speed)
    : CPetTurnEvent(pet, 0, speed)
{
    for (int i = 0; i < 3; ++i) point_[i] = Finite(point[i]) ? point[i] : 0.0f;
}

void CPetFacePointEvent::Start()
{
    if (Cx3DObject* pet = Pet()) {
        float position[3];
        PositionOf(*pet, position);
        total_ = PetFacingAngle(pet->GetOrientation(), position, point_);
    }
    CPetTurnEvent::Start();
}

CPetFaceCameraEvent::CPetFaceCameraEvent(Cx3DObject& pet, CxCamera& camera, float speed)
    : CPetFacePointEvent(pet, camera.eye, speed), camera_(camera)
{
}

void CPetFaceCameraEvent::Start()
{
    for (int i = 0; i < 3; ++i) point_[i] = Finite(camera_.eye[i]) ? camera_.eye[i] : 0.0f;
    CPetFacePointEvent::Start();
}

// ---------------------------------------------------------------- walking
CObjectWalkAlongSplineEvent::CObjectWalkAlongSplineEvent(Cx3DObject& object, const char* walkAnim, const char* endAnim,
                                                         std::vector<CxVec3> controls, int samples, float speed)
    : CSplineEventEx(controls, samples, speed),
      object_(object.GetId()),
      walkAnim_(walkAnim ? walkAnim : ""),
      endAnim_(endAnim ? endAnim : ""),
      controls_(std::move(controls)),
      samples_(samples),
      speed_(speed)
{
    controls_.erase(std::remove_if(controls_.begin(), controls_.end(),
                                   [](const CxVec3& v) { return !Finite(v.x) || !Finite(v.y) || !Finite(v.z); }),
                    controls_.end());
}

Cx3DObject* CObjectWalkAlongSplineEvent::Object() const { return Cx3DObject::FindLive(object_); }

bool CObjectWalkAlongSplineEvent::CurrentStart(CxVec3* start)
{
    Cx3DObject* object = Object();
    if (!object) return false;
    float p[3];
    PositionOf(*object, p);
    *start = CxVec3{p[0], p[1], p[2]};
    // The same path the base walks, kept here to know the segment being travelled.
    if (!controls_.empty()) controls_.front() = *start;
    path_ = SampleSpline(controls_, samples_);
    return true;
}

void CObjectWalkAlongSplineEvent::Start()
{
    endBlendStarted_ = false;
    finished_ = false;
    CSplineEventEx::Start();
    walkTimer_.Restart();
}

void CObjectWalkAlongSplineEvent::Pause()
{
    CSplineEventEx::Pause();
    walkTimer_.Pause();
}

void CObjectWalkAlongSplineEvent::Resume()
{
    CSplineEventEx::Resume();
    walkTimer_.Resume();
}

void CObjectWalkAlongSplineEvent::Apply(const CxVec3& point)
{
    Cx3DObject* object = Object();
    if (!object || !Finite(point.x) || !Finite(point.y) || !Finite(point.z)) return;
    float elapsed = float(walkTimer_.Elapsed()) / 1000.0f;
    float remaining = GetDurationSeconds() - elapsed;
    if (!endBlendStarted_ && remaining <= 1.0f) {
        endBlendStarted_ = true;
        if (!TextEquals(endAnim_.c_str(), walkAnim_.c_str(), true))
            object->BlendOut(walkAnim_.c_str(), std::max(remaining, 0.0f) + 0.25f, -1);
    }
    // The end of the segment being travelled: the first sample farther
    // along the path than the distance walked.
    float walked = std::isfinite(speed_) ? speed_ * elapsed : 0.0f, along = 0;
    CxVec3 end = path_.empty() ? point : path_.back();
    for (size_t i = 1; i < path_.size(); ++i) {
        const CxVec3& a = path_[i - 1];
        const CxVec3& b = path_[i];
        along += std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
        if (along > walked) {
            end = b;
            break;
        }
    }
    float dx = end.x - point.x, dy = end.y - point.y, dz = end.z - point.z;
    if (dx * dx + dy * dy + dz * dz > 0.01f * 0.01f) {
        // Facing is a turn about the vertical: only the level direction counts,
        // so a path that climbs never tips the angle past the heading.
        const float p[3] = {point.x, point.y, point.z}, target[3] = {end.x, end.y, end.z};
        float angle = PetFacingAngle(object->GetOrientation(), p, target);
        object->RotateAbout(angle, turnAxis_[0], turnAxis_[1], turnAxis_[2]);
    }
    object->SetPosition(point.x, point.y, point.z);
}

bool CObjectWalkAlongSplineEvent::IsDone()
{
    if (finished_) return true;
    Cx3DObject* object = Object();
    if (!object) return finished_ = true;
    if (!CSplineEventEx::IsDone()) return false;
    finished_ = true;
    if (!TextEquals(endAnim_.c_str(), walkAnim_.c_str(), true)) object->BlendIn(endAnim_.c_str(), 0.75f, -1, 0);
    return true;
}

CPetWalkToPositionEvent::CPetWalkToPositionEvent(Cx3DObject& pet, const char* walkAnim, const char* endAnim,
                                                 std::vector<CxVec3> controls, int samples, float speed)
    : CObjectWalkAlongSplineEvent(pet, walkAnim, endAnim, std::move(controls), samples, speed)
{
}

void CPetWalkToPositionEvent::Start()
{
    phase_ = STARTING;
    angle_ = turned_ = previous_ = 0;
    CObjectWalkAlongSplineEvent::Start();   // builds the path from where the pet stands
    Cx3DObject* pet = Object();
    if (!pet) return;
    pet->BlendOut("", 0.5f, -1);
    const std::vector<CxVec3>& path = Path();
    if (path.size() >= 2) {
        const float from[3] = {path[0].x, path[0].y, path[0].z}, to[3] = {path[1].x, path[1].y, path[1].z};
        angle_ = PetFacingAngle(pet->GetOrientation(), from, to);
    }
    if (std::fabs(angle_) > 0.01f) {
        turnAnim_ = TurnAnimFor(angle_);
        pet->BlendIn(turnAnim_.c_str(), 0.1f, -1, 0);
    } else {
        angle_ = 0;
        phase_ = WALKING;
        pet->BlendIn(walkAnim_.c_str(), 0.5f, -1, 1);
    }
}

void CPetWalkToPositionEvent::Pause()
{
    CObjectWalkAlongSplineEvent::Pause();
    turnTimer_.Pause();
}

void CPetWalkToPositionEvent::Resume()
{
    CObjectWalkAlongSplineEvent::Resume();
    turnTimer_.Resume();
}

bool CPetWalkToPositionEvent::IsDone()
{
    if (phase_ == WALKING) return CObjectWalkAlongSplineEvent::IsDone();
    Cx3DObject* pet = Object();
    if (!pet) return true;
    if (!IsStarted() || turnTimer_.IsPaused()) return false;
    if (phase_ == STARTING) {
        phase_ = TURNING;
        turnTimer_.Restart();
        return false;
    }
    float whole = std::fabs(angle_);
    turned_ = turnSpeed_ * float(turnTimer_.Elapsed()) / 1000.0f;
    bool turnedAll = turned_ >= whole;
    if (turnedAll) turned_ = whole;
    float delta = turned_ - previous_;
    previous_ = turned_;
    pet->RotateAbout(angle_ < 0 ? -delta : delta, 0, 1, 0);
    if (turnedAll) {
        pet->BlendOut(turnAnim_.c_str(), 0.2f, -1);
        phase_ = WALKING;
        pet->BlendIn(walkAnim_.c_str(), 0.2f, -1, 1);
        // The walk's clock starts now, from where the turn left the pet.
        CObjectWalkAlongSplineEvent::Start();
    }
    return false;
}

// ---------------------------------------------------------------- creation
namespace {
const char* WordAt(CxLinkedList<CxString>& words, int index)
{
    auto* node = words.GetHead();
    for (int i = 0; node && i < index; ++i) node = node->next;
    return node ? node->value.Text() : nullptr;
}

float NumberAt(CxLinkedList<CxString>& words, int index, float def)
{
    const char* word = WordAt(words, index);
    if (!word) return def;
    float v = std::strtof(word, nullptr);
    return std::isfinite(v) ? v : def;
}
}  // namespace

bool IsPetEventKind(const char* kind)
{
    return kind && (TextEquals(kind, "WalkToPosition", true) || TextEquals(kind, "TurnInPlace", true) ||
                    TextEquals(kind, "FacePosition", true));
}

CxEvent* NewPetEvent(Cx3DObject& pet, const char* kind, CxLinkedList<CxString>& words)
{
    if (!kind) return nullptr;
    if (TextEquals(kind, "TurnInPlace", true))
        return new CPetTurnEvent(pet, NumberAt(words, 1, 0) / kDegrees, NumberAt(words, 0, 2.61799f));
    if (TextEquals(kind, "FacePosition", true)) {
        const float point[3] = {NumberAt(words, 1, 0), NumberAt(words, 2, 0), NumberAt(words, 3, 0)};
        return new CPetFacePointEvent(pet, point, NumberAt(words, 0, 2.61799f));
    }
    if (TextEquals(kind, "WalkToPosition", true)) {
        const char* walk = WordAt(words, 0);
        const char* end = WordAt(words, 1);
        int samples = int(std::clamp(NumberAt(words, 2, 0), 0.0f, 100000.0f));
        float speed = NumberAt(words, 3, 100);
        std::vector<CxVec3> controls = {CxVec3{}};   // where the pet stands when the walk starts
        int count = int(words.GetCount());
        for (int i = 4; i + 2 < count; i += 3)
            controls.push_back(CxVec3{NumberAt(words, i, 0), NumberAt(words, i + 1, 0), NumberAt(words, i + 2, 0)});
        if (!walk || !end || controls.size() < 2) return nullptr;
        return new CPetWalkToPositionEvent(pet, walk, end, std::move(controls), samples, speed);
    }
    return nullptr;
}

CxEvent* NewPetFaceCameraEvent(CPet& pet, CxCamera& camera, float speed)
{
    return new CPetFaceCameraEvent(pet, camera, Finite(speed) && speed > 0 ? speed : 2.61799f);
}
