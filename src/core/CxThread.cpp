#include "core/CxThread.h"
#include "core/CxTime.h"
#include "foundation/Qorstr.h"
#include "platform/os/PlatformMutex.h"
#include "platform/os/PlatformSystem.h"
#include "platform/os/PlatformThread.h"

int CxThread::Start()
{
    Stop();
    if (!function_) {
        Error(ERR_INVALID_ARGUMENT, "No function specified for thread");
        return errorCode_;
    }
    suspended_.store(true, std::memory_order_release);
    state_.store(THREAD_RUNNING, std::memory_order_release);
    thread_ = PlatThreadStart(Body, this, stackSize_);
    if (!thread_) {
        state_.store(THREAD_STOPPED, std::memory_order_release);
        Error(ERR_UNKNOWN, "CreateThread failed");
        return errorCode_;
    }
    suspended_.store(false, std::memory_order_release);
    return 0;
}

void CxThread::Stop()
{
    if (!thread_) return;
    if (GetState() != THREAD_STOPPED) {
        state_.store(THREAD_STOP_REQUESTED, std::memory_order_release);
        while (GetState() != THREAD_STOPPED) PlatSleep(1);
    }
    PlatThreadJoin(thread_);
    thread_ = nullptr;
    suspended_.store(false, std::memory_order_release);
}

void CxThread::Body(void* self)
{
    auto* thread = static_cast<CxThread*>(self);
    for (;;) {
        int32_t state = thread->GetState();
        if (state == THREAD_STOP_REQUESTED || state == THREAD_STOPPED) break;
        if (thread->suspended_.load(std::memory_order_acquire)) {
            PlatSleep(0);
            continue;
        }
        if (thread->function_(thread->userData_)) break;
    }
    thread->state_.store(THREAD_STOPPED, std::memory_order_release);
}

// ------------------------------------------------------------- CxMutex
int CxMutex::Create(const char* name, bool initiallyOwned)
{
    Close();
    char systemName[256];
    ToSystemText(systemName, name, sizeof systemName);
    mutex_ = PlatMutexCreate(systemName);
    if (!mutex_) return ERR_UNKNOWN;
    if (initiallyOwned) PlatMutexLock(mutex_);
    return 0;
}

void CxMutex::Close()
{
    PlatMutexDestroy(mutex_);
    mutex_ = nullptr;
}

int CxMutex::Lock(uint32_t timeout)
{
    if (!mutex_) return 0;
    if (timeout == 0xFFFFFFFF) return PlatMutexLock(mutex_) ? 1 : 0;
    uint32_t started = QorTickCount();
    for (;;) {
        if (PlatMutexTryLock(mutex_)) return 1;
        if (QorTickCount() - started >= timeout) return 0;
        PlatSleep(1);
    }
}

void CxMutex::Unlock() { PlatMutexUnlock(mutex_); }
