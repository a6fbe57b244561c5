#include "events/CxEventKinds.h"
#include "core/CxError.h"
#include "core/CxTime.h"

CCommandEvent::CCommandEvent(CCommandHandler* handler, const char* command, CxLinkedList<CxString>& arguments)
    : handler_(handler), command_(command)
{
    for (auto* node = arguments.GetHead(); node; node = node->next) arguments_.AddTail(node->value);
}

void CCommandEvent::Start()
{
    state_ |= 1;
    if (handler_) handler_->OnCommand(command_, arguments_);
}

bool CTimerEvent::IsDone()
{
    return timer_.IsStarted() && !timer_.IsStopwatch() && timer_.HasExpired(QorTickCount());
}

CxDynamicEvent::CxDynamicEvent(const char* text, const CxInterpolator* variables, CxEventCreator* creator)
    : text_(text), variables_(variables), creator_(creator)
{
}

CxDynamicEvent::~CxDynamicEvent() { delete inner_; }

void CxDynamicEvent::Start()
{
    delete inner_;
    inner_ = CreateEventFromText(text_, variables_, creator_);
    if (inner_) inner_->Start();
}

void CxDynamicEvent::OnDone()
{
    if (!inner_) return;
    inner_->OnDone();
    delete inner_;
    inner_ = nullptr;
}

namespace {
const CxSoundEventHost* gSoundHost = nullptr;
}

void SetSoundEventHost(const CxSoundEventHost* host) { gSoundHost = host; }
const CxSoundEventHost* GetSoundEventHost() { return gSoundHost; }

CSoundEvent::CSoundEvent(const char* file, int soundChannel, uint32_t soundFlags)
    : file_(file), soundChannel_(soundChannel), soundFlags_(soundFlags & ~SOUND_EVENT_OWNS_SOUND)
{
    if (!gSoundHost || !gSoundHost->acquire) return;
    bool owned = false;
    sound_ = gSoundHost->acquire(file_.Text(), &owned);
    if (!sound_) return;
    if (owned) soundFlags_ |= SOUND_EVENT_OWNS_SOUND;
    if (soundChannel_ >= 0 && soundChannel_ <= 7) sound_->PlayQueuedOn(soundChannel_);
}

CSoundEvent::~CSoundEvent()
{
    if (!sound_) return;
    bool owned = (soundFlags_ & SOUND_EVENT_OWNS_SOUND) != 0;
    if (owned) sound_->Stop();
    if (gSoundHost && gSoundHost->release) gSoundHost->release(sound_, owned);
    else if (owned) delete sound_;
}

void CSoundEvent::Start()
{
    if (!sound_) {
        soundFlags_ |= SOUND_EVENT_STARTED | SOUND_EVENT_SKIPPED;
        return;
    }
    int channel = sound_->GetChannel();
    if ((soundFlags_ & SOUND_EVENT_FLUSH_CHANNEL) && gSoundHost->flushChannel) gSoundHost->flushChannel(channel);
    if ((soundFlags_ & SOUND_EVENT_IF_CHANNEL_EMPTY) && gSoundHost->isChannelFree && !gSoundHost->isChannelFree(channel)) {
        soundFlags_ |= SOUND_EVENT_SKIPPED | SOUND_EVENT_STARTED;
        return;
    }
    sound_->Play();
    soundFlags_ |= SOUND_EVENT_STARTED;
}

bool CSoundEvent::IsDone()
{
    if (soundFlags_ & (SOUND_EVENT_NO_WAIT | SOUND_EVENT_SKIPPED)) return true;
    return !sound_ || sound_->IsEventDone();
}

void CSoundEvent::Stop()
{
    if (sound_) sound_->Stop();
}

void CSoundEvent::Pause()
{
    if (sound_) sound_->Pause();
}

void CSoundEvent::Resume()
{
    if (sound_) sound_->Resume();
}

bool CSoundEvent::IsPaused() { return sound_ && sound_->IsPaused(); }
