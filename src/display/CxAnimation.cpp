#include "display/CxAnimation.h"
#include "core/CxAppServices.h"
#include "core/CxTime.h"
#include "display/CxSprite.h"

#include <algorithm>
#include <cmath>

// ------------------------------------------------------------- engine-wide lists
namespace {
struct AnimationLists {
    CxLinkedList<CxAnimation*> all;       // every animation, to forget dying objects
    CxLinkedList<CxAnimation*> playing;
    CxListNode<CxAnimation*>* walkNext = nullptr;
    CxAppServices* registeredWith = nullptr;
    uint32_t rateLimit = 0;
    uint32_t lastRun = 0;
    bool ranOnce = false;
};

AnimationLists& Lists()
{
    static AnimationLists lists;
    return lists;
}

void StartPlaying(CxAnimation* animation)
{
    AnimationLists& l = Lists();
    if (l.playing.Find(animation)) return;
    l.playing.AddTail(animation);
    if (l.playing.GetCount() == 1 && (l.registeredWith = CxAppServices::Get()))
        l.registeredWith->AddIdleFunction(UpdatePlayingAnimations);
}

void StopPlaying(CxAnimation* animation)
{
    AnimationLists& l = Lists();
    auto* node = l.playing.Find(animation);
    if (!node) return;
    if (node == l.walkNext) l.walkNext = node->next;
    l.playing.RemoveAt(node);
    if (l.playing.IsEmpty() && l.registeredWith) {
        l.registeredWith->RemoveIdleFunction(UpdatePlayingAnimations);
        l.registeredWith = nullptr;
    }
}

// A timer's own pauses are undone before it is restarted or stopped: a timer
// left paused would keep reading its pause time.
void Unpause(CxTimer& timer)
{
    while (timer.IsPaused()) timer.CountResume();
}

CxPoint Rounded(const float exact[3]) { return CxPoint{int32_t(lroundf(exact[0])), int32_t(lroundf(exact[1]))}; }
}  // namespace

void UpdatePlayingAnimations()
{
    AnimationLists& l = Lists();
    uint32_t now = QorTickCount();
    if (l.rateLimit && l.ranOnce && now - l.lastRun < 1000 / l.rateLimit) return;
    l.lastRun = now;
    l.ranOnce = true;
    for (auto* node = l.playing.GetHead(); node;) {
        l.walkNext = node->next;
        node->value->Update();
        node = l.walkNext;
    }
    l.walkNext = nullptr;
}

int PlayingAnimationCount() { return Lists().playing.GetCount(); }

void SetAnimationRateLimit(uint32_t updatesPerSecond)
{
    Lists().rateLimit = std::min(updatesPerSecond, 1000u);
    Lists().ranOnce = false;
}

void CxAnimation::ForgetObject(CxDisplayObject* object)
{
    for (auto* node = Lists().all.GetHead(); node; node = node->next)
        if (node->value->object_ == object) {
            node->value->Stop();
            node->value->object_ = nullptr;
        }
}

// ------------------------------------------------------------- lifetime
CxAnimation::CxAnimation() { Lists().all.AddTail(this); }

CxAnimation::~CxAnimation()
{
    StopPlaying(this);
    Lists().all.Remove(this);
}

// ------------------------------------------------------------- paths
void CxAnimation::InsertPaths(int32_t index, const CxAnimationPath* paths, int32_t count)
{
    if (!paths) return;
    auto* before = paths_.GetHead();
    for (int32_t i = 0; i < index && before; ++i) before = before->next;
    for (int32_t i = 0; i < count; ++i) paths_.InsertBefore(before, paths[i]);
}

void CxAnimation::AddPathsToTail(const CxAnimationPath* paths, int32_t count) { InsertPaths(GetNumPaths(), paths, count); }

void CxAnimation::RemovePath(int32_t index)
{
    auto* node = paths_.GetHead();
    for (int32_t i = 0; i < index && node; ++i) node = node->next;
    if (index < 0 || !node) return;
    paths_.RemoveAt(node);
    if (paths_.IsEmpty()) Stop();
    else if (current_ >= paths_.GetCount()) current_ = 0;
}

void CxAnimation::RemoveAllPaths()
{
    Stop();
    paths_.RemoveAll();
    current_ = 0;
}

const CxAnimationPath* CxAnimation::GetPath(int32_t index) const
{
    if (index == -1) index = current_;
    auto* node = paths_.GetHead();
    for (int32_t i = 0; i < index && node; ++i) node = node->next;
    return index >= 0 && node ? &node->value : nullptr;
}

CxAnimationPath* CxAnimation::Current() { return const_cast<CxAnimationPath*>(GetPath(current_)); }

// ------------------------------------------------------------- playing
void CxAnimation::Play(int32_t path)
{
    SetState(kPlaying, true);
    pauseCount_ = 0;
    cyclesLeft_ = cycles_;
    SetCurAction(path, true);
    StartPlaying(this);
}

void CxAnimation::Stop()
{
    StopPlaying(this);
    SetState(kPlaying, false);
    pauseCount_ = 0;
    StopTimers();
}

void CxAnimation::Pause()
{
    frameTimer_.CountPause();
    moveTimer_.CountPause();
    durationTimer_.CountPause();
}

void CxAnimation::Resume()
{
    frameTimer_.CountResume();
    moveTimer_.CountResume();
    durationTimer_.CountResume();
}

void CxAnimation::StopTimers()
{
    for (CxTimer* timer : {&frameTimer_, &moveTimer_, &durationTimer_}) {
        Unpause(*timer);
        timer->Reset();
    }
}

// Only an overrun of the previous duration carries over (so repeated paths
// keep their rhythm); time left by a path that ended early is not added.
void CxAnimation::StartTimers(const CxAnimationPath& path)
{
    for (CxTimer* timer : {&frameTimer_, &moveTimer_, &durationTimer_}) Unpause(*timer);
    if (path.flags & PATH_DURATION) {
        int32_t carry = durationTimer_.IsStarted() && !durationTimer_.IsStopwatch() ? durationTimer_.Remaining() : 0;
        int64_t duration = int64_t(path.duration) + std::min(carry, 0);
        durationTimer_.Start(uint32_t(std::clamp<int64_t>(duration, 1, INT32_MAX)));
    } else {
        durationTimer_.Reset();   // a stale expired timer would end this path at once
    }
    bool frames = (path.flags & PATH_FRAMERATE) && path.frameRate > 0 && std::isfinite(path.frameRate);
    frameInterval_ = frames ? uint32_t(std::max(1.0f, std::min(1000.0f / path.frameRate, 1e6f))) : 0;
    if (frameInterval_) frameTimer_.Start(frameInterval_);
    else frameTimer_.Reset();
    moveTimer_.Start(0);
}

int CxAnimation::SetCurAction(int32_t index, bool resetLoops)
{
    if (!object_) {
        Error(ERR_UNKNOWN, "No DisplayObject available for CxAnimation::SetCurAction()");
        return errorCode_;
    }
    int32_t count = paths_.GetCount();
    if (count == 0) return errorCode_;
    current_ = ((index % count) + count) % count;
    CxAnimationPath& path = *Current();
    if (resetLoops) loopsLeft_ = (path.flags & PATH_LOOPS) ? path.loops : 1;
    int anchor = (path.flags & PATH_ANCHOR) ? path.anchor : 0;
    CxPoint at = object_->GetPosition(anchor);
    if (!GetStationary() && (path.flags & PATH_POSITION))
        at = GetRelativeStart() ? CxPoint{at.x + path.x, at.y + path.y} : CxPoint{path.x, path.y};
    if (path.flags & PATH_ZORDER) object_->SetZOrder(uint32_t(path.zOrder));
    object_->Paint(at.x, at.y, anchor);
    StartTimers(path);
    if (!(path.flags & PATH_SPEED)) path.speed = 1;
    framesPlayed_ = 0;
    if (path.flags & PATH_STARTFRAME) ShowFrame(path.startFrame);
    exact_[0] = float(at.x);
    exact_[1] = float(at.y);
    exact_[2] = 0;
    return errorCode_;
}

// ------------------------------------------------------------- the per-frame step
void CxAnimation::Update()
{
    if (!object_ || !IsPlaying() || IsPaused() || !Current()) return;
    const CxAnimationPath path = *Current();   // a listener may change the list
    CxPoint at = object_->GetPosition((path.flags & PATH_ANCHOR) ? path.anchor : 0);
    if (at != Rounded(exact_)) {   // moved by someone else: follow it
        exact_[0] = float(at.x);
        exact_[1] = float(at.y);
    }
    if (durationTimer_.HasExpired(QorTickCount())) return NextPath();
    bool arrived = (path.flags & PATH_TARGET) && at == CxPoint{path.targetX, path.targetY};
    if (!GetStationary() && arrived) return NextPath();
    bool endFrameCounts = (path.flags & PATH_ENDFRAME) && !(path.flags & PATH_FRAMES_FROM_START);
    if (endFrameCounts && path.endFrame == CurrentFrame()) return NextPath();
    if (Move(path) && (!IsPlaying() || IsPaused())) return;   // its listener stopped it
    StepFrames(path);
}

// True when the object moved.
bool CxAnimation::Move(const CxAnimationPath& path)
{
    if (GetStationary() || !(path.flags & PATH_TARGET) || !moveTimer_.IsStarted()) return false;
    CxPoint before = Rounded(exact_);
    float step = float(moveTimer_.Elapsed()) * path.speed * 0.001f;
    float dx = float(path.targetX) - exact_[0], dy = float(path.targetY) - exact_[1];
    float distance = std::sqrt(dx * dx + dy * dy);
    if (step >= distance) {
        exact_[0] = float(path.targetX);
        exact_[1] = float(path.targetY);
    } else if (step > 0) {
        exact_[0] += dx / distance * step;
        exact_[1] += dy / distance * step;
    }
    moveTimer_.Start(0);
    CxPoint now = Rounded(exact_);
    if (now == before) return false;
    object_->Paint(now.x, now.y, (path.flags & PATH_ANCHOR) ? path.anchor : 0);
    if (path.flags & PATH_NOTIFY_MOVE) Notify();
    return true;
}

// Frames due are counted from how far the frame timer overran, and the timer
// restarts keeping its phase, so a slow frame rate of the game does not slow
// the animation down.
bool CxAnimation::StepFrames(const CxAnimationPath& path)
{
    if (!frameInterval_ || !frameTimer_.HasExpired(QorTickCount())) return false;
    uint32_t overrun = uint32_t(std::max(0, -frameTimer_.Remaining()));
    int32_t due = int32_t(1 + overrun / frameInterval_);
    frameTimer_.Start(frameInterval_ - overrun % frameInterval_);
    framesPlayed_ += due;
    int32_t from = CurrentFrame(), to;
    bool backwards = (path.flags & PATH_STARTFRAME) && (path.flags & PATH_ENDFRAME) && path.endFrame < path.startFrame;
    if (path.flags & PATH_FRAMES_FROM_START) to = path.startFrame + framesPlayed_;
    else if (backwards) to = std::max(from - due, path.endFrame);
    else if (path.flags & PATH_ENDFRAME) to = std::min(from + due, path.endFrame);
    else to = from + due;
    ShowFrame(to);
    if ((path.flags & PATH_NOTIFY_FRAME) && CurrentFrame() != from) Notify();
    return true;
}

int32_t CxAnimation::CurrentFrame() const
{
    auto* sprite = dynamic_cast<CxSprite*>(object_);
    return sprite ? sprite->GetCurFrame() : 0;
}

void CxAnimation::ShowFrame(int32_t frame)
{
    if (auto* sprite = dynamic_cast<CxSprite*>(object_)) sprite->SetCurFrame(frame);
}

void CxAnimation::Notify()
{
    if (listener_) listener_->OnAnimationNotify(this);
}

void CxAnimation::NextPath()
{
    Notify();
    if (!object_ || !IsPlaying() || IsPaused()) return;
    if (--loopsLeft_ > 0) {
        SetCurAction(current_, false);
        return;
    }
    const CxAnimationPath* path = Current();
    if (!path || (path->flags & PATH_FINAL)) return Stop();
    if (current_ + 1 < GetNumPaths()) SetCurAction(current_ + 1, true);
    else if (--cyclesLeft_ > 0) SetCurAction(0, true);
    else Stop();
}
