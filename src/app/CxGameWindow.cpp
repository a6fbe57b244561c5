#include "app/CxGameWindow.h"

CxGameWindow::~CxGameWindow()
{
    KillAllTimers();
    cleaner_.Empty();
}

void CxGameWindow::StopRoom()
{
    KillAllTimers();
    cleaner_.Empty();
}

CxTimerCallBack* CxGameWindow::FindTimer(uint32_t id) const
{
    for (auto* node = timers_.GetHead(); node; node = node->next)
        if (node->value->GetId() == id) return node->value;
    return nullptr;
}

int CxGameWindow::SetTimer(uint32_t id, uint32_t interval, uint32_t value)
{
    KillTimer(id);
    auto* timer = new CxTimerCallBack(this, interval, value, id);
    timer->Start(0);
    timers_.AddTail(timer);
    return errorCode_;
}

void CxGameWindow::KillTimer(uint32_t id)
{
    CxTimerCallBack* timer = FindTimer(id);
    if (!timer) return;
    timers_.Remove(timer);
    timer->SetListener(nullptr);   // killed: it must not fire again before it goes
    cleaner_.Add(timer);
}

void CxGameWindow::KillAllTimers()
{
    while (!timers_.IsEmpty()) cleaner_.Add(timers_.RemoveHead());
}

void CxGameWindow::PauseTimer(uint32_t id)
{
    if (CxTimerCallBack* timer = FindTimer(id)) timer->CountPause();
}

void CxGameWindow::ResumeTimer(uint32_t id)
{
    if (CxTimerCallBack* timer = FindTimer(id)) timer->CountResume();
}
