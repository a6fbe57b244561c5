#include "platform/os/PlatformSystem.h"

#include <cstdio>
#include <cstdlib>
#include <strings.h>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

uint32_t PlatTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
    return uint32_t(ms);  // wraps like the system tick count
}

void PlatSleep(uint32_t milliseconds)
{
    timespec ts{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {}
}

uint64_t PlatCurrentThreadId() { return uint64_t(pthread_self()); }

int64_t PlatTimeSeconds() { return int64_t(time(nullptr)); }

static bool CopyOut(char* out, size_t size, const char* text)
{
    if (!out || size == 0) return false;
    size_t n = strlen(text);
    if (n >= size) n = size - 1;
    memcpy(out, text, n);
    out[n] = 0;
    return true;
}

bool PlatModuleFile(char* out, size_t size)
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return CopyOut(out, size, "") && false;
    buffer[n] = 0;
    return CopyOut(out, size, buffer);
}

bool PlatCurrentDirectory(char* out, size_t size)
{
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return CopyOut(out, size, "") && false;
    return CopyOut(out, size, buffer);
}

bool PlatSetCurrentDirectory(const char* path) { return path && chdir(path) == 0; }

void PlatWindowsFolder(char* out, size_t size)
{
    const char* configured = PlatGetEnv("VORN_WINDOWS_DIR");
    if (configured && *configured) { CopyOut(out, size, configured); return; }
    char module[4096];
    if (!PlatModuleFile(module, sizeof module)) { CopyOut(out, size, "."); return; }
    char* slash = strrchr(module, '/');
    if (slash && slash != module) *slash = 0;
    else if (slash) slash[1] = 0;
    CopyOut(out, size, module);
}

const char* PlatGetEnv(const char* name) { return name ? getenv(name) : nullptr; }

const char* PlatHomeDirectory()
{
    const char* home = getenv("HOME");
    return (home && *home) ? home : "/tmp";
}

int PlatOsVersionCode() { return 10; }

int PlatCpuHasMmx()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return 0;
    return (edx >> 23) & 1;
#else
    return 0;
#endif
}

bool PlatDefaultShellFolder(const char* name, char* out, size_t size)
{
    if (!name) return false;
    if (!strcasecmp(name, "AppData") || !strcasecmp(name, "Common AppData")) {
        const char* data = PlatGetEnv("XDG_DATA_HOME");
        if (data && *data) return CopyOut(out, size, data);
        char path[4096];
        snprintf(path, sizeof path, "%s/.local/share", PlatHomeDirectory());
        return CopyOut(out, size, path);
    }
    if (!strcasecmp(name, "Fonts")) return CopyOut(out, size, "/usr/share/fonts/truetype");
    return false;
}
