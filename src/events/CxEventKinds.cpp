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

void CSoundEvent::Start()
{
    soundFlags_ |= SOUND_EVENT_STARTED;
    Print("Sound \"%s\" on channel %d: no sound system in this build\n", file_.Text(), soundChannel_);
}
