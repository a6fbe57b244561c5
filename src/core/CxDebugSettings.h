// Debug settings read once by the application's constructor from
// "Engine.Debug".  All are read so that an exported options file lists them;
// only the log file's name and its deletion at start have an effect.
#pragma once

class CxOptions;

struct CxDebugSettings {
    int clearMemory = 1;
    int useDebugClear = 1;
    int abortsOn = 1;
    int messageBoxOn = 1;
    int debugLevel = 4;
    int showIO = 0;
    int messageSpy = 0;
    int useDebugBreak = 1;
    int logFile = 1;
    int logWindow = 1;
    int clearLogFile = 0;
    char logFileName[256] = {};
};

// Reads the settings, forms the log file's name (relative names are left to
// the start folder) and deletes the file when "ClearLogFile" asks for it.
void OpenDebugLog(CxOptions& options, const char* startDir);
const CxDebugSettings& GetDebugSettings();
