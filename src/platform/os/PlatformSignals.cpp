#include "platform/os/PlatformSignals.h"

#include <atomic>
#include <csignal>

namespace {
volatile std::sig_atomic_t gQuitSignalled = 0;
std::atomic<bool> gWatching{false};

extern "C" void OnQuitSignal(int) { gQuitSignalled = 1; }
}  // namespace

void PlatWatchQuitSignals()
{
    if (gWatching.exchange(true)) return;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool PlatTakeQuitSignal()
{
    if (!gQuitSignalled) return false;
    gQuitSignalled = 0;
    return true;
}
