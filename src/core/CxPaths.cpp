#include "core/CxPaths.h"
#include "foundation/Qorstr.h"
#include "platform/os/PlatformSystem.h"
#include "platform/registry/PlatformRegistry.h"

#include <cstdio>
#include <cstring>

namespace {
void ToForwardSlashes(char* text) { ReplaceChar(text, '\\', '/'); }

struct MachineSurvey {
    bool done = false;
    int osVersion = 0;
    int hasMmx = 0;
    char directXVersion[32] = {};
};
MachineSurvey gSurvey;

void Survey()
{
    gSurvey.osVersion = PlatOsVersionCode();
    gSurvey.hasMmx = PlatCpuHasMmx();
    ReadRegistryText(PLAT_REG_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\DirectX", "Version",
                     gSurvey.directXVersion, sizeof gSurvey.directXVersion);
    gSurvey.done = true;
}

bool IsOldWindowsFamily(int code) { return code == 2 || code == 3 || code == 8; }
}  // namespace

void GetModuleDirectory(char* out, size_t size)
{
    char module[1024], converted[1024];
    if (!PlatModuleFile(module, sizeof module)) module[0] = 0;
    FromSystemText(converted, module, sizeof converted);
    ToForwardSlashes(converted);
    char* slash = strrchr(converted, '/');
    if (slash) slash[1] = 0;
    CopyText(out, converted, size);
}

int GetStartDirectory(char* out, size_t size)
{
    char current[1024], converted[1024];
    if (!PlatCurrentDirectory(current, sizeof current)) {
        CopyText(out, "", size);
        return 11;
    }
    FromSystemText(converted, current, sizeof converted);
    ToForwardSlashes(converted);
    size_t n = strlen(converted);
    if (n > 1 && converted[n - 1] == '/') converted[n - 1] = 0;
    CopyText(out, converted, size);
    return 0;
}

void GetWindowsFolder(char* out, size_t size)
{
    char folder[1024], converted[1024];
    PlatWindowsFolder(folder, sizeof folder);
    FromSystemText(converted, folder, sizeof converted);
    ToForwardSlashes(converted);
    CopyText(out, converted, size);
}

int ReadRegistryText(int root, const char* key, const char* value, char* out, size_t size)
{
    if (!out || size == 0) return 0;
    out[0] = 0;
    char systemKey[512], systemValue[256], data[1024];
    ToSystemText(systemKey, key, sizeof systemKey);
    ToSystemText(systemValue, value, sizeof systemValue);
    if (PlatRegistryRead(root, systemKey, systemValue, data, sizeof data)) FromSystemText(out, data, size);
    return 0;
}

void GetShellFolder(const char* name, char* out, size_t size, bool allUsers)
{
    static const char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
    if (!out || size == 0) return;
    out[0] = 0;
    if (!name) return;
    char valueName[256];
    bool perUser = !allUsers || IsOldWindowsFamily(QueryMachineInfo(MACHINE_OS_VERSION, nullptr));
    if (perUser) {
        CopyText(valueName, name, sizeof valueName);
        ReadRegistryText(PLAT_REG_CURRENT_USER, kKey, valueName, out, size);
    } else {
        snprintf(valueName, sizeof valueName, "Common %s", name);
        ReadRegistryText(PLAT_REG_LOCAL_MACHINE, kKey, valueName, out, size);
    }
    if (!out[0]) PlatDefaultShellFolder(valueName, out, size);
    ToForwardSlashes(out);
}

int QueryMachineInfo(int query, char* out)
{
    if (!gSurvey.done) Survey();
    switch (query) {
    case MACHINE_OS_VERSION: return gSurvey.osVersion;
    case MACHINE_HAS_MMX: return gSurvey.hasMmx;
    case MACHINE_DIRECTX_VERSION:
        if (out) CopyText(out, gSurvey.directXVersion, sizeof gSurvey.directXVersion);
        return 0;
    default: return 0;
    }
}

void ForgetMachineInfo() { gSurvey = MachineSurvey{}; }

bool IsDirectXTooOld(const char* installed, const char* required)
{
    return strcmp(installed ? installed : "", required ? required : "") < 0;
}
