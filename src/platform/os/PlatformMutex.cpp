#include "platform/os/PlatformMutex.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

struct PlatMutex {
    int fd;
    bool held;
};

static std::string MutexFilePath(const char* name)
{
    std::string path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        path = std::string(runtime) + "/vorn-mutex-";
    } else {
        const char* temp = std::getenv("TMPDIR");
        path = std::string(temp && *temp ? temp : "/tmp") + "/vorn-" + std::to_string(getuid()) + "-mutex-";
    }
    if (const char* space = std::getenv("VORN_LOCK_NAMESPACE"); space && *space) {
        path += space;
        path += '-';
    }
    for (const char* p = name; p && *p; ++p)
        path += (*p == '/' || *p == '\\') ? '_' : *p;
    return path;
}

PlatMutex* PlatMutexCreate(const char* name)
{
    int fd = open(MutexFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    return new PlatMutex{fd, false};
}

void PlatMutexDestroy(PlatMutex* mutex)
{
    if (!mutex) return;
    close(mutex->fd);  // releases the lock too
    delete mutex;
}

bool PlatMutexLock(PlatMutex* mutex)
{
    if (!mutex) return false;
    if (flock(mutex->fd, LOCK_EX) != 0) return false;
    mutex->held = true;
    return true;
}

bool PlatMutexTryLock(PlatMutex* mutex)
{
    if (!mutex) return false;
    if (flock(mutex->fd, LOCK_EX | LOCK_NB) != 0) return false;
    mutex->held = true;
    return true;
}

void PlatMutexUnlock(PlatMutex* mutex)
{
    if (!mutex || !mutex->held) return;
    flock(mutex->fd, LOCK_UN);
    mutex->held = false;
}
