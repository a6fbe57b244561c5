#include "core/CxDebugSettings.h"
#include "core/CxOptions.h"
#include "core/CxCoreFiles.h"
#include "foundation/Qorstr.h"

#include <cstdio>
#include <cstring>

namespace {
CxDebugSettings gSettings;
constexpr const char* kSection = "Engine.Debug";
}

void OpenDebugLog(CxOptions& options, const char* startDir)
{
    CxDebugSettings s;
    s.clearMemory = options.ReadInt(kSection, "ClearMemory", 1);
    s.useDebugClear = options.ReadInt(kSection, "UseDebugClear", s.clearMemory);
    s.abortsOn = options.ReadInt(kSection, "AbortsOn", 1);
    s.messageBoxOn = options.ReadInt(kSection, "MessageBoxOn", 1);
    s.debugLevel = options.ReadInt(kSection, "DebugLevel", 4);
    s.showIO = options.ReadInt(kSection, "ShowIO", 0);
    s.messageSpy = options.ReadInt(kSection, "MessageSpy", 0);
    s.useDebugBreak = options.ReadInt(kSection, "UseDebugBreak", 1);
    s.logFile = options.ReadInt(kSection, "LogFile", 1);
    s.logWindow = options.ReadInt(kSection, "LogWindow", 1);
    CxString name = options.ReadString(kSection, "LogFileName", "");
    s.clearLogFile = options.ReadInt(kSection, "ClearLogFile", 0);

    if (!name.IsEmpty()) {
        name.Replace('\\', '/');
        CopyText(s.logFileName, name, sizeof s.logFileName);
    } else {
        const char* dir = startDir ? startDir : "";
        size_t n = strlen(dir);
        snprintf(s.logFileName, sizeof s.logFileName, "%s%sDEBUG.LOG", dir, (n && dir[n - 1] == '/') ? "" : "/");
    }
    if (s.clearLogFile && GetCoreFileAccess().exists(s.logFileName)) GetCoreFileAccess().remove(s.logFileName);
    gSettings = s;
}


const CxDebugSettings& GetDebugSettings() { return gSettings; }
