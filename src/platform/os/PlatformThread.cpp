#include "platform/os/PlatformThread.h"

#include <algorithm>
#include <climits>
#include <pthread.h>

struct PlatThread {
    pthread_t id;
    PlatThreadBody body;
    void* argument;
};

static void* Trampoline(void* raw)
{
    auto* thread = static_cast<PlatThread*>(raw);
    thread->body(thread->argument);
    return nullptr;
}

PlatThread* PlatThreadStart(PlatThreadBody body, void* argument, size_t stackSize)
{
    auto* thread = new PlatThread{pthread_t(), body, argument};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    // The original stacks of 4 KB are far below what any Linux thread needs.
    pthread_attr_setstacksize(&attributes, std::max<size_t>(stackSize, 256 * 1024));
    int failed = pthread_create(&thread->id, &attributes, Trampoline, thread);
    pthread_attr_destroy(&attributes);
    if (failed) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void PlatThreadJoin(PlatThread* thread)
{
    if (!thread) return;
    pthread_join(thread->id, nullptr);
    delete thread;
}
