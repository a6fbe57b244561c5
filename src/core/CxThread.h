// A worker thread that calls its step function again and again until the
// function returns non-zero or the owner stops it; and a named mutex shared
// between threads and processes.
#pragma once
#include "core/CxError.h"
#include "foundation/CxObject.h"

#include <atomic>
#include <cstdint>

struct PlatThread;
struct PlatMutex;

enum CxThreadState : int32_t {
    THREAD_RUNNING = 1,
    THREAD_STOP_REQUESTED = 2,
    THREAD_STOPPED = 4,
};

class CxThread : public CxObject, public CxError {
public:
    using StepFunction = int (*)(void* userData);

    CxThread(StepFunction function = nullptr, void* userData = nullptr) : function_(function), userData_(userData) {}
    ~CxThread() override { Stop(); }
    CxThread(const CxThread&) = delete;
    CxThread& operator=(const CxThread&) = delete;

    int  Start();
    // Waits (1 ms between checks) until the step function has returned; a step
    // function must therefore return regularly.
    void Stop();

    void SetFunction(StepFunction function, void* userData) { function_ = function; userData_ = userData; }
    void SetStackSize(uint32_t size) { stackSize_ = size; }
    int32_t GetState() const { return state_.load(std::memory_order_acquire); }

private:
    static void Body(void* self);

    StepFunction function_;
    void* userData_;
    PlatThread* thread_ = nullptr;
    uint32_t stackSize_ = 4096;
    std::atomic<int32_t> state_{THREAD_STOPPED};
    std::atomic<bool> suspended_{false};
};

class CxMutex {
public:
    virtual ~CxMutex() { Close(); }
    virtual int  Create(const char* name, bool initiallyOwned);
    virtual void Close();
    // 1 when the mutex was taken within `timeout` ms (0xFFFFFFFF: no limit);
    // 0 on time-out or without a mutex.
    virtual int  Lock(uint32_t timeout);
    virtual void Unlock();

private:
    PlatMutex* mutex_ = nullptr;
};
