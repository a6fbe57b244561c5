#include "game/CVornDataFolder.h"
#include "platform/os/PlatformFile.h"
#include "platform/os/PlatformMessageBox.h"
#include "platform/os/PlatformSystem.h"

#include <cstdio>

namespace {
const char kMissing[] = "Vorn cannot find its data: no Vorn.ini or startup.lua in the current folder or beside the program.";

std::string ProgramFolder()
{
    char module[4096];
    if (!PlatModuleFile(module, sizeof module)) return "";
    std::string path(module);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
}  // namespace

bool HoldsGameData(const std::string& folder)
{
    if (folder.empty()) return false;
    return PlatPathExists((folder + "/Vorn.ini").c_str()) || PlatPathExists((folder + "/startup.lua").c_str());
}

std::string FindGameDataFolder(const std::string& current, const std::string& programFolder,
                               const std::string& builtIn)
{
    if (HoldsGameData(current)) return current;
    if (!programFolder.empty()) {
        for (const char* beside : {"/data", "/../share/vorn"})
            if (HoldsGameData(programFolder + beside)) return programFolder + beside;
    }
    return HoldsGameData(builtIn) ? builtIn : std::string();
}

bool EnterGameDataFolder(const char* builtIn)
{
    char current[4096];
    if (!PlatCurrentDirectory(current, sizeof current)) current[0] = 0;
    std::string folder = FindGameDataFolder(current, ProgramFolder(), builtIn ? builtIn : "");
    if (!folder.empty() && (folder == current || PlatSetCurrentDirectory(folder.c_str()))) return true;
    std::fprintf(stderr, "%s\n", kMissing);
    if (PlatHasDisplay()) PlatShowMessageBox(PLAT_BOX_ERROR, "Vorn", kMissing, nullptr);
    return false;
}
